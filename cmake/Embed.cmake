# tumbo_embed(<target> <symbol> <file> [TEXT|FLOATS])
# Turns <file> into a constant byte array `<symbol>` (and `<symbol>_size`)
# compiled into <target>. Consumers include "embedded/<symbol>.h".
# TEXT appends a terminating NUL that <symbol>_size does not count.
# FLOATS reads the file as numbers (with # comments) and makes `<symbol>` a
# constexpr float array with `<symbol>_count` entries.
function(tumbo_embed target symbol file)
  cmake_parse_arguments(ARG "TEXT;FLOATS" "" "" ${ARGN})
  set(out_cpp ${TUMBO_GENERATED_DIR}/embedded/${symbol}.cpp)
  set(out_h ${TUMBO_GENERATED_DIR}/embedded/${symbol}.h)
  set(mode binary)
  if(ARG_TEXT)
    set(mode text)
  elseif(ARG_FLOATS)
    set(mode floats)
  endif()
  add_custom_command(
    OUTPUT ${out_cpp} ${out_h}
    COMMAND tumbo-embed ${mode} ${file} ${symbol} ${out_cpp} ${out_h}
    DEPENDS tumbo-embed ${file}
    COMMENT "Embedding ${symbol}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out_cpp} ${out_h})
  target_include_directories(${target} PUBLIC ${TUMBO_GENERATED_DIR})
endfunction()
