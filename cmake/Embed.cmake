# tumbo_embed(<target> <symbol> <file> [TEXT])
# Turns <file> into a constant byte array `<symbol>` (and `<symbol>_size`)
# compiled into <target>. Consumers include "embedded/<symbol>.h".
# TEXT appends a terminating NUL that <symbol>_size does not count.
function(tumbo_embed target symbol file)
  cmake_parse_arguments(ARG "TEXT" "" "" ${ARGN})
  set(out_cpp ${TUMBO_GENERATED_DIR}/embedded/${symbol}.cpp)
  set(out_h ${TUMBO_GENERATED_DIR}/embedded/${symbol}.h)
  set(mode binary)
  if(ARG_TEXT)
    set(mode text)
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
