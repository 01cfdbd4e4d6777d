# SPDX-License-Identifier: MIT
"""Does PNG compression on its own threads earn its place? Renders the same generated code of
1,000 and 10,000 lines (2x) with the process on one core (Qt then starts one compressor
thread, and painting and compressing share the core: what a plain single-threaded encoder
gets) and on two cores (painting overlaps two compressor threads), in the same run,
alternating, and prints the medians and their ratio."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from render_bench import generate  # noqa: E402


def run(binary, source, cores, out):
    start = time.monotonic()
    subprocess.run(["taskset", "-c", cores, binary, "render", source, "--scale", "2",
                    "-o", out], check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    binary, repeats = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 5
    if os.cpu_count() < 2:
        raise SystemExit("needs two cores")
    with tempfile.TemporaryDirectory() as folder:
        print("%8s %12s %12s %8s" % ("lines", "1 core (s)", "2 cores (s)", "gain"))
        for lines in (1000, 10000):
            source = os.path.join(folder, "code_%d.js" % lines)
            with open(source, "w") as f:
                f.write(generate(lines))
            out = os.path.join(folder, "out.png")
            one, two = [], []
            for _ in range(repeats):
                one.append(run(binary, source, "0", out))
                two.append(run(binary, source, "0,1", out))
            a, b = statistics.median(one), statistics.median(two)
            print("%8d %12.3f %12.3f %7.2fx" % (lines, a, b, a / b))


if __name__ == "__main__":
    main()
