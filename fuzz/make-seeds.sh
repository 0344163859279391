#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into DIR/<target>/ (DIR/common/ serves a target
# without seeds of its own): small NC programs in every line-end style, Shift-JIS and stray
# bytes, words and numbers, calculator key sequences.
set -euo pipefail
dir=$1
mkdir -p "$dir"/{common,nc_line_reader_fuzz,nc_words_fuzz,number_format_fuzz,desk_calc_fuzz,preview_interpreter_fuzz}

# Programs: the lines joined with each line-end style, as "%" programs and as plain text.
program=('%' 'O1000 (SURFACE FINISH)' $'(\x83\x65\x83\x58\x83\x67 T1 R3)' 'G90G54G17G40G49G80' 'T1M06'
         'G00X0.Y0.S12000M03' 'G43Z50.H01' 'G01X12.5Y-3.F200' 'G02X1.138Y-0.197I0.500J0.000'
         '#1=#2 NE 3' 'N10.5 (A)(B)' 'X-.5Y1.2.3Z99999999999999999999999' 'M30' '%')
n=0
for end in $'\r\n' $'\n' $'\r'; do
  for first in 0 1; do
    n=$((n + 1))
    : > "$dir/common/program$n"
    for line in "${program[@]:$first}"; do printf '%s%s' "$line" "$end" >> "$dir/common/program$n"; done
  done
done
printf '%%\nX1\r\nX2\rX3\n' > "$dir/common/mixed"
printf 'A\x00B\xff\x80\x81\r\nC\xfc\xfc\r\n' > "$dir/common/stray-bytes"
printf '%%\n%0300d\n\n' 0 > "$dir/common/long-line"
printf '\x82\xa0\x82\xa2\r\n\x8e\x9a' > "$dir/common/shift-jis"
cp "$dir"/common/* "$dir/nc_words_fuzz/"

# The "%" reader's target takes a piece size byte and the bytes after the "%".
i=0
for f in "$dir"/common/*; do
  i=$((i + 1))
  { printf "\\$(printf '%03o' $((i * 7 % 64)))"; tail -c +2 "$f"; } > "$dir/nc_line_reader_fuzz/seed$i"
done

# Numbers: eight bytes of a double (little-endian) and one byte choosing the decimal settings.
i=0
for value in 0 1 -1 12.5 -3.25 0.0001 123456.789 -0.00005 1e14 2.5e-9 0.1 99.99995; do
  for choice in 0 4 13 22 31 40 58 80; do
    i=$((i + 1))
    perl -e 'print pack("d<C", $ARGV[0], $ARGV[1])' -- "$value" "$choice" > "$dir/number_format_fuzz/seed$i"
  done
done

# Calculator keys: digits, operators, Enter (13), Esc (27), memory keys (1-6) and slots (F0-F5).
keys=('1+2=' '12*3.5=' '2/0=' '9999999999999*9999999999=' $'5\x01\x04+\x04=' $'3.5\x06' $'1.2345\x06\x06'
      $'7\xf0\x1b\xf0' '(1+2)*3=' $'1\x08\x0845=' '-5+=' 's30=' 'c60=' 't45=' 'r2=')
i=0
for k in "${keys[@]}"; do i=$((i + 1)); printf '%s' "$k" > "$dir/desk_calc_fuzz/seed$i"; done

# Preview programs: the common ones, and moves of every kind, cycles, macros and subprograms.
cp "$dir"/common/* "$dir/preview_interpreter_fuzz/"
previews=(
  $'G90G00X0Y0Z5.\nG01Z-1.F200\nG02X10.Y10.R10.\nG03X0Y20.I-10.J0\nG18G02X-5.Z-3.K-2.\nG19G03Y5.Z0R4.\nG91G00X-1.\nM30\n'
  $'G90G00X0Y0Z10.\nG98G81X5.Y5.Z-3.R2.F100\nG99G83X10.Z-20.R1.Q3.\nG73X15.Q2.\nG91G84X5.K3\nG80\n'
  $'#1=10.\n#2=[#1*2+1]/3\n#[#1+90]=SIN[30.]*4\nG00X#1Y-#2Z#100\nG01X[ATAN[1]/[1]]Y[SQRT[16]MOD3]F[ABS[-100]]\n#3=#1AND7OR8\n'
  $'O1\nG00X0Y0Z0\nM98P100L3\nM98P30200\nM30\nO100\nG91G01X1.F10\nM98P200\nM99\nO200\nT2M06\nY1.\nM99\n'
  $'G20G00X1.Y1.Z0\nG92X0Y0\nG28Z1.\nG53X0\nG04X2.\nIF[#1EQ0]GOTO5\n/G00X9.\n(comment X99)\nG65P9000\n'
)
i=0
for p in "${previews[@]}"; do i=$((i + 1)); printf '%s' "$p" > "$dir/preview_interpreter_fuzz/preview$i"; done

# The list passes: a selector byte (even: macro table, odd: value set), the list file, NUL, the
# document.
mkdir -p "$dir/list_passes_fuzz" "$dir/streamed_replace_fuzz"
printf '\x00%s\x00%s' $'1\r\nT\r\n3\r\n#500 #600\r\nA AA\r\nM99 --\r\n' $'#500=1\r\nA1A--\r\nM99\r\n' > "$dir/list_passes_fuzz/macro"
printf '\x01%s\x00%s' $'1\r\nS\r\n9\r\nG54\r\n-5.0\r\n@\r\nA&B\r\n5\r\n6\r\n7\r\n8\r\n9\r\n' $'$1X$2\r\n$4$$9--\r\n' \
  > "$dir/list_passes_fuzz/fill"
# The streamed replace: piece size, chunk size, search and replacement lengths, their bytes, the file.
printf '\x03\x05\x01\x03XA\r\nB%s' $'%\r\nX1\r\nX2X3\r\n' > "$dir/streamed_replace_fuzz/crlf"
printf '\x01\x09\x02\x04\x82\xa0\x82\xa2XY%s' $'%\nX\x82\xa0\nY\n' > "$dir/streamed_replace_fuzz/shift-jis"

# The compare: two programs cut by a 0xFF byte, one an edit of the other with repeated lines.
mkdir -p "$dir/compare_fuzz"
printf '%s\xff%s' $'%\r\nG0 Z3\r\nX1.\r\nG0 Z3\r\n(T1 D6.)\r\nN10 X2.\r\n%\r\n' \
  $'%\r\nG0 Z3\r\nX1.0\r\nG0 Z3\r\nG0 Z3\r\n(t1 d6.)\r\nX2.\r\n%' > "$dir/compare_fuzz/edit"
cp "$dir"/common/program1 "$dir/compare_fuzz/one-side"
