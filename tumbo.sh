#!/bin/sh
# Set-up and entry point on Debian 12, from nothing but a clone:
#
#   ./tumbo.sh run [ARG...]   builds the demo and starts it (ARGs are tumbo's;
#                             none means -w, a window)
#   ./tumbo.sh test           builds the programs and the tests and runs the
#                             everyday tests (all but the whole show in real
#                             time)
#   ./tumbo.sh test --full    everything CI runs: every test, the benchmarks
#                             built, fuzzing, ASan+UBSan, TSan and valgrind
#   ./tumbo.sh release        a tested Release build, then the .deb and the
#                             tarball in build/release
#
# Each first checks the Debian packages it needs, make, the compiler and cmake
# included (tools/ensure-packages has the lists): as root it installs what is
# missing with apt-get; as another user it prints the apt-get line to run and
# stops. The steps themselves are the Makefile's targets, so `make run`,
# `make test`, `make test-full` and `make release` do the same. BUILD names
# another build folder (default build).
#
# `run` ends with the demo's own exit status: 0 after the show or a quit, 1
# without an audio device, 2 without a display.
set -eu
cd "$(dirname "$0")"
BUILD=${BUILD:-build}
export BUILD

usage() {
  echo "usage: $0 run [tumbo arguments] | test [--full] | release" >&2
  exit 64
}

case "${1:-}" in
  run)
    shift
    ./tools/ensure-packages run
    make --no-print-directory build
    [ $# -gt 0 ] || set -- -w
    exec "$BUILD/tumbo" "$@"
    ;;
  test)
    case "${2:-}" in
      "") target=test ;;
      --full) target=test-full ;;
      *) usage ;;
    esac
    [ $# -le 2 ] || usage
    ./tools/ensure-packages test
    exec make --no-print-directory "$target"
    ;;
  release)
    [ $# = 1 ] || usage
    ./tools/ensure-packages release
    exec make --no-print-directory release
    ;;
  *)
    usage
    ;;
esac
