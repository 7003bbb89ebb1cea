#!/usr/bin/env python3
"""Instructions per shading sample of each benchmark, counted by callgrind.

Wall and CPU time both move when other work shares the machine; a count of
executed instructions does not. Each benchmark named below calls one
out-of-line function per iteration; this runs the benchmark alone under
callgrind, divides that function's inclusive instruction count by its number
of calls, and prints the ratios of the same pairs the benchmarks print.

Usage: bench/instructionCounts.py [BUILD_BENCH_DIR]   (default build/release/bench)
Needs valgrind (callgrind_annotate) and a built release tree; not part of the build.
"""
import os
import re
import subprocess
import sys
import tempfile

# benchmark binary, benchmark name, the out-of-line function it calls per sample
BENCHMARKS = [
    ("mayaNode_bench", "BM_mattora/lights:1", "shadeThroughHost"),
    ("mayaNode_bench", "BM_lambertTwin/lights:1", "shadeThroughHost"),
    ("mayaNode_bench", "BM_mattora/lights:4", "shadeThroughHost"),
    ("mayaNode_bench", "BM_lambertTwin/lights:4", "shadeThroughHost"),
    ("mentalray_bench", "BM_vela_mattora_1point", "shadeOnce"),
    ("mentalray_bench", "BM_lambertTwin_1point", "shadeOnce"),
    ("mentalray_bench", "BM_vela_mattora_4point", "shadeOnce"),
    ("mentalray_bench", "BM_lambertTwin_4point", "shadeOnce"),
    ("mentalray_bench", "BM_vela_mattora_area16", "shadeOnce"),
    ("mentalray_bench", "BM_lambertTwin_area16", "shadeOnce"),
    ("mentalray_bench", "BM_vela_mattora_1point_irradiance", "shadeOnce"),
    ("binding_bench", "BM_directCall", "callThrough"),
    ("binding_bench", "BM_resolvedStub", "callThrough"),
]

PAIRS = [
    ("BM_mattora/lights:1", "BM_lambertTwin/lights:1"),
    ("BM_mattora/lights:4", "BM_lambertTwin/lights:4"),
    ("BM_vela_mattora_1point", "BM_lambertTwin_1point"),
    ("BM_vela_mattora_4point", "BM_lambertTwin_4point"),
    ("BM_vela_mattora_area16", "BM_lambertTwin_area16"),
    ("BM_vela_mattora_1point_irradiance", "BM_vela_mattora_1point"),
    ("BM_resolvedStub", "BM_directCall"),
]


def annotate(out_file, *options):
    return subprocess.run(["callgrind_annotate", *options, out_file], check=True,
                          capture_output=True, text=True).stdout


def per_call(binary, benchmark, function):
    with tempfile.TemporaryDirectory() as tmp:
        out_file = os.path.join(tmp, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out_file,
                        binary, "--benchmark_filter=^" + re.escape(benchmark) + "$",
                        "--benchmark_min_time=0.02"],
                       check=True, capture_output=True)
        name = re.compile(r"[:\s]" + re.escape(function) + r"\(")
        inclusive = None
        for line in annotate(out_file, "--inclusive=yes").splitlines():
            if name.search(line):
                inclusive = int(line.split()[0].replace(",", ""))
                break
        # In the caller tree, the lines "< caller (Nx)" above "* function" give its calls.
        calls, callers = 0, []
        for line in annotate(out_file, "--tree=caller").splitlines():
            stripped = line.strip()
            if " < " in line or stripped.startswith("<") or re.match(r"^[\d,]+ \([^)]*\)\s+<", stripped):
                callers.append(line)
            elif re.match(r"^[\d,]+ \([^)]*\)\s+\*", stripped):
                if name.search(line):
                    for caller in callers:
                        m = re.search(r"\((\d[\d,]*)x\)", caller)
                        if m:
                            calls += int(m.group(1).replace(",", ""))
                    break
                callers = []
            elif not stripped:
                callers = []
        if inclusive is None or calls == 0:
            raise RuntimeError(f"{benchmark}: no calls of {function} found")
        return inclusive / calls


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("build", "release", "bench")
    counts = {}
    for binary, benchmark, function in BENCHMARKS:
        path = os.path.join(folder, binary)
        if not os.path.exists(path):
            continue
        counts[benchmark] = per_call(path, benchmark, function)
        print(f"{benchmark:<40} {counts[benchmark]:10.0f} instructions per call")
    print(f"\n{'measured':<40} {'control':<36} {'ratio':>8}")
    for measured, control in PAIRS:
        if measured in counts and control in counts:
            print(f"{measured:<40} {control:<36} {counts[measured] / counts[control]:8.3f}")


if __name__ == "__main__":
    main()
