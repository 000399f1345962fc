#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEEDS WORKDIR [libFuzzer options...]
# Runs one fuzzer from the seed corpus SEEDS (left as it is). New inputs go to
# WORKDIR/corpus, anything that fails to WORKDIR/crash-* (with the input that
# caused it), to be kept and made into a unit test.
set -euo pipefail
fuzzer=${1:?fuzzer} seeds=${2:?seed folder} work=${3:?work folder}
shift 3
mkdir -p "$work/corpus"
exec "$fuzzer" -artifact_prefix="$work/" -print_final_stats=1 "$@" "$work/corpus" "$seeds"
