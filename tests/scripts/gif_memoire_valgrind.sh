#!/bin/bash
# The GIF road on the picture sizes that once made the scaler write past the end of its
# image, under valgrind: the scaler is a system library, out of AddressSanitizer's sight.
# Usage: gif_memoire_valgrind.sh BUILD_DIR
set -eu
build=${1:?build folder}
supp=$(mktemp)
trap 'rm -f "$supp"' EXIT
# Qt's child-process reaper passes a null infop to waitid on purpose.
cat > "$supp" <<'FIN'
{
   waitid-de-qt
   Memcheck:Param
   waitid(infop)
   fun:syscall
}
FIN
QT_QPA_PLATFORM=offscreen valgrind -q --error-exitcode=9 --trace-children=no --suppressions="$supp" \
    "$build/tests/tests_conversions" --gtest_filter='GifMemoire.lesTailles*'
