#!/usr/bin/env python3
"""Reads effects_bench's JSON (stdin) and prints each effect's median time as a
fraction of decoding the same photograph at 1/1 in the same run, next to its
target."""
import json
import sys

COLOR_MODES = {1: "saturation boost 1", 2: "saturation boost 2", 3: "saturation boost 3",
               4: "saturation boost 4", 5: "fade 1", 6: "fade 2", 7: "fade 3", 8: "fade 4",
               9: "natural sepia", 10: "blue sepia", 11: "sepia 1", 12: "sepia 2", 13: "sepia 3",
               14: "mono colour", 15: "negative"}
BLURS = {1: "blur 3x3", 2: "blur 5x5", 3: "blur 7x7", 4: "shifted box", 5: "soft focus"}


def describe(name):
    """(label, target fraction of decode, or None for absolute targets)"""
    base, _, arg = name.partition("/")
    arg = int(arg.split("_")[0]) if arg and arg.split("_")[0].isdigit() else None
    if base == "BM_ColorMode":
        return COLOR_MODES.get(arg, f"mode {arg}"), 0.5 if arg <= 4 else 0.1
    if base == "BM_Contrast":
        return f"contrast mode {arg}", 0.2
    if base == "BM_Blur":
        return BLURS.get(arg, f"blur {arg}"), 0.5
    if base == "BM_Vignette":
        return f"vignette shape {arg // 3} thickness {arg % 3}", 0.1
    if base == "BM_OutlineShadow":
        return "outline + shadow" + (" (shadow after blur)" if arg == 1 else ""), 1.0
    return None, None


def main():
    runs = json.load(sys.stdin)["benchmarks"]
    medians = {}
    for r in runs:
        if r.get("run_type") == "aggregate" and r.get("aggregate_name") != "median":
            continue
        name = r.get("run_name", r["name"])
        ms = r["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[r["time_unit"]]
        medians.setdefault(name, []).append(ms)
    medians = {k: sorted(v)[len(v) // 2] for k, v in medians.items()}
    decode = medians.get("BM_Decode1to1")
    if not decode:
        sys.exit("no decode time in the run")
    print(f"decode at 1/1: {decode:.1f} ms")
    print(f"{'effect':40} {'ms':>8} {'fraction':>9} {'target':>7}")
    missed = 0
    for name, ms in medians.items():
        label, target = describe(name)
        if label is None:
            if name.startswith("BM_PreviewChain220"):
                print(f"{'preview chain 220x220':40} {ms:8.3f} {'':>9} {'<= 2 ms':>7} {'ok' if ms <= 2 else 'MISSED'}")
                missed += ms > 2
            continue
        fraction = ms / decode
        ok = fraction <= target
        missed += not ok
        print(f"{label:40} {ms:8.1f} {fraction:9.3f} {target:7.2f} {'ok' if ok else 'MISSED'}")
    print(f"{missed} missed")


if __name__ == "__main__":
    main()
