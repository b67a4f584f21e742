#!/usr/bin/env bash
# Writes what the command line makes of a set of sheet images into OUT, so two builds can be
# compared byte for byte: `read --scores` lines, `mark` output, and the saved results set files.
# Usage: tools/sheet_path_outputs.sh BIN_DIR IMAGE_FOLDER OUT
set -euo pipefail
bin=$(cd "$1" && pwd); images=$(cd "$2" && pwd); out=$3
rm -rf "$out"; mkdir -p "$out"
home=$(mktemp -d); trap 'rm -rf "$home"' EXIT
cp -r "$bin"/DaTiKa "$bin"/sys "$bin"/ShiJuan "$bin"/MingCe "$home"/
mkdir -p "$home"/ChengJi
cli="$bin/quillmark-cli"
(cd "$images" && "$cli" read --home "$home" --scores $(ls)) > "$out/read.jsonl"
for threads in 1 2; do
  (cd "$images" && "$cli" mark --home "$home" --paper 示例试卷.CHO --roster 示例名册.TXT \
     --on-unknown-type skip --on-unknown-number add --on-duplicate keep --threads $threads \
     --save "run$threads" --overwrite .) > "$out/mark$threads.txt" 2> "$out/mark$threads.err" || true
  cp "$home"/MingCe/示例名册.TXT "$out/roster$threads.TXT"
  cp "$bin"/MingCe/示例名册.TXT "$home"/MingCe/
done
for f in "$home"/ChengJi/*; do
  # the review file names each image by its path, which differs only by the temporary home
  sed "s#$home#HOME#g" "$f" > "$out/$(basename "$f")"
done
