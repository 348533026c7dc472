#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, AddressSanitizer and UndefinedBehavior-
# Sanitizer) and runs each for SECONDS (default 60). The corpora live in build-fuzz/corpus and
# are seeded from tests/scripts/*.sqv: whole scripts for the splitter, their statements for the
# Jet layer; from the tables of tests/data for the .dbf and Paradox readers; a sample schema.ini
# for the text directories. Crashing inputs are written to build-fuzz/crashes.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
    targets=(splitter_fuzz jetsql_fuzz dbf_fuzz text_schema_fuzz paradox_fuzz excel_fuzz jet_fuzz)

# clang and its libFuzzer runtime are needed only here.
./scripts/install-deps.sh clang libclang-rt-14-dev
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTESSEL_FUZZ=ON -DTESSEL_SANITIZE=ON -DTESSEL_BUILD_GUI=OFF -DTESSEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

seed_splitter=build-fuzz/corpus/splitter_fuzz
seed_jetsql=build-fuzz/corpus/jetsql_fuzz
seed_dbf=build-fuzz/corpus/dbf_fuzz
seed_schema=build-fuzz/corpus/text_schema_fuzz
seed_paradox=build-fuzz/corpus/paradox_fuzz
seed_excel=build-fuzz/corpus/excel_fuzz
seed_jet=build-fuzz/corpus/jet_fuzz
mkdir -p "$seed_splitter" "$seed_jetsql" "$seed_dbf" "$seed_schema" "$seed_paradox" "$seed_excel" \
    "$seed_jet" build-fuzz/crashes
find tests/data -iname '*.dbf' -exec cp {} "$seed_dbf/" \;
find tests/data/paradoxdriver -iname '*.db' -exec cp {} "$seed_paradox/" \;
find tests/data \( -iname '*.xls' -o -iname '*.xlsx' -o -iname '*.ods' \) -exec cp {} "$seed_excel/" \;
# Only the small Access files: libFuzzer prefers seeds of a few hundred kilobytes at most.
find tests/data \( -iname '*.mdb' -o -iname '*.accdb' \) -size -300k -exec cp {} "$seed_jet/" \;
# A schema.ini with a section of each format.
printf '%s\r\n' '[a.csv]' 'ColNameHeader=True' 'Format=CSVDelimited' 'CharacterSet=65001' \
    'Col1=ID Long' 'Col2="Full Name" Text Width 30' '[b.txt]' 'Format=FixedLength' \
    'CharacterSet=OEM' 'DateTimeFormat=dd.mm.yyyy' 'Col1=Day Date Width 10' \
    '[c.tab]' 'Format=Delimited(;)' 'DecimalSymbol=,' 'MaxScanRows=0' >"$seed_schema/schema.ini"
for script in tests/scripts/*.sqv; do
    name=$(basename "$script" .sqv)
    cp "$script" "$seed_splitter/$name"
    # One file for each statement: the text between semicolons.
    awk -v dir="$seed_jetsql" -v name="$name" 'BEGIN { RS = ";" }
        NF { file = dir "/" name "-" NR; printf "%s;", $0 > file; close(file) }' "$script"
done

for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    echo "== $target for $seconds s"
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/crashes/"$target"- "$corpus"
done
