"""Prints the benchmark figures of one run (the JSON files scripts/bench-run wrote) as ratios."""
import json
import math
import sys
from pathlib import Path


def medians(path):
    """Real time (ns) and counters of every benchmark in a file, by run name: the median of the
    repetitions where there were several."""
    runs = json.loads(Path(path).read_text())["benchmarks"]
    if any(b.get("run_type") == "aggregate" for b in runs):
        runs = [b for b in runs if b.get("aggregate_name") == "median"]
    result = {}
    for b in runs:
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        name = b.get("run_name", b["name"]).split("/min_time")[0]
        entry = {k: v for k, v in b.items() if isinstance(v, (int, float))}
        entry["ns"] = b["real_time"] * scale
        result[name] = entry
    return result


def main():
    out = Path(sys.argv[1])
    rows = []

    def row(name, value, target):
        ok = "" if target is None else ("met" if value <= target else "NOT met")
        shown_target = "-" if target is None else f"<= {target:g}"
        rows.append((name, f"{value:.3g}", shown_target, ok))

    s = medians(out / "skinning.json")
    row("1 skinning: UpdatePose / copy (100k vertices)",
        s["BM_UpdatePose"]["ns"] / s["BM_CopyBindPose"]["ns"], 3)
    c = medians(out / "character.json")
    row("1 skinning: UpdatePose / copy (character: 3,000 vertices, 700 nodes)",
        c["BM_CharacterUpdatePose"]["ns"] / c["BM_CharacterCopyBindPose"]["ns"], 3)
    row("1 character start, ms: first (writing caches)", c["BM_CharacterFirstStart"]["ns"] / 1e6, None)
    row("1 character start, ms: warm", c["BM_CharacterWarmStart"]["ns"] / 1e6, None)
    for label, file in (("scene", "frame"), ("scaled robot", "frame-scaled")):
        f = next(iter(medians(out / f"{file}.json").values()))
        row(f"2 frame: demo / bare quads ({label})", f["ratio"], 1.15)
    st = medians(out / "startup.json")
    floor = st["ReadBytesAndBuildTextures"]["ns"]
    row("3 start-up with caches / bytes + textures", st["StartWithCaches"]["ns"] / floor, 1.5)
    row("3 first start writing caches / bytes + textures",
        st["FirstStartWritingCaches"]["ns"] / floor, None)
    t = medians(out / "trees.json")
    small, large = t["BM_BuildTree/10000"]["ns"], t["BM_BuildTree/1000000"]["ns"]
    row("4 bounds trees: growth exponent 10k..1M faces", math.log(large / small) / math.log(100), 1.15)
    d = medians(out / "decoding.json")
    worst = max(d[k]["ns"] / d[k.replace("BM_Ours", "BM_Stb")]["ns"] for k in d if k.startswith("BM_Ours"))
    row("5 decoding: ours / stb_image (worst file)", worst, 1.0)
    m = medians(out / "loading.json")
    row("6 loading: Mesh::Load / read of the bytes (100k quads)",
        m["BM_MeshLoad"]["ns"] / m["BM_FreadMeshFile"]["ns"], 2)
    allocations = max(next(iter(medians(out / f"{f}.json").values()))["allocs_per_frame"]
                      for f in ("frame", "frame-scaled"))
    row("7 allocations per frame", allocations, 0)
    g = medians(out / "convert.json")
    row("8 glTF import / tinygltf parse + images (100k triangles, 3 animations)",
        g["BM_ImportModelBytes"]["ns"] / g["BM_TinygltfParseWithImages"]["ns"], 3)
    ms = medians(out / "model-start.json")
    row("9 vorn MODEL second start / vorn FOLDER on its cache folder",
        ms["BM_ModelSecondStart"]["ns"] / ms["BM_FolderStart"]["ns"], 1.2)
    row("10 FBX conversion / assimp ReadFile (100k skinned triangles, 3 animations)",
        g["BM_ImportModelFile/real_time"]["ns"] / g["BM_AssimpReadFile/real_time"]["ns"], 2)

    widths = [max(len(r[i]) for r in rows + [("figure", "value", "target", "")]) for i in range(4)]
    for r in [("figure", "value", "target", "")] + rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())


if __name__ == "__main__":
    main()
