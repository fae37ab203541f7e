#!/bin/sh
# Remakes the seed corpora in tests/fuzz/corpus from the sample content (vorn-content at its
# smallest scale), the seeds of vorn-fuzz-seeds (glTF models among them), and the image
# fixtures. Run from the repo root after scripts/fuzz has built build-fuzz.
set -eu
cd "$(dirname "$0")/../.."
content=$(mktemp -d)
trap 'rm -rf "$content"' EXIT
build-fuzz/tools/content/vorn-content "$content/sample"
build-fuzz/tests/fuzz/vorn-fuzz-seeds "$content/seeds"
s="$content/sample"
z="$content/seeds"
corpus=tests/fuzz/corpus
rm -rf "$corpus"
for t in mesh animation face_groups prop_bounds actor_bounds tga bmp descriptor stats gltf_import scene_wire; do
    mkdir -p "$corpus/$t"
done
cp "$s/kordax.ply" "$s/gun82.ply" "$z/gun82-plain.ply" "$corpus/mesh/"
cp "$s/aim.anm" "$z/walk-short.anm" "$corpus/animation/"
cp "$z/kordax.prs" "$z/gun82.prs" "$corpus/face_groups/"
cp "$z/gun82.kdt" "$corpus/prop_bounds/"
cp "$z/walk-short.kdt" "$corpus/actor_bounds/"
cp "$s"/*.tga tests/data/images/*.tga "$corpus/tga/"
cp "$s"/*.bmp tests/data/images/*.bmp "$corpus/bmp/"
cp "$s/kordax.txt" "$s/gun82.txt" "$corpus/descriptor/"
cp "$s"/*stats.txt "$corpus/stats/"
cp "$z"/*.glb "$z"/*.gltf "$corpus/gltf_import/"
cp "$z"/*.scene "$corpus/scene_wire/"
du -sh "$corpus"
