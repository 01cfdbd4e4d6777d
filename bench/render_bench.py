# SPDX-License-Identifier: MIT
"""Side-by-side render benchmark: codalume render with the rules and with the grammar highlighter
vs pygmentize -f png, printed as ratios, with the size of codalume's PNG against optipng -o2 of
the very same picture. Peak memory is the kernel's maximum resident size of the program and the
children it waited for: for the grammar run, the larger of the program and its helper process."""
import os
import random
import shutil
import struct
import statistics
import subprocess
import sys
import tempfile
import time

TEMPLATES = [
    "function {name}(items, limit) {{",
    "    const total = items.reduce((sum, x) => sum + x.{field} * {num}, 0); // running {name}",
    "    if (total > {num}) {{ return \"{name} exceeded: \" + total; }}",
    "    let {name} = await fetch('/api/{field}?page={num}');",
    "    /* {name}: keep the {field} sorted */ items.sort((a, b) => a.{field} - b.{field});",
    "    for (let i = 0; i < {num}; i++) {{ console.log(`${{i}}: {name}`); }}",
    "    return {{ {field}: {num}.5, name: \"{name}\", ok: true }};",
    "}}",
    "",
]
WORDS = ["alpha", "render", "picture", "layout", "cursor", "buffer", "token", "stream", "config"]


def generate(lines, seed=7):
    rng = random.Random(seed)
    out = []
    while len(out) < lines:
        for template in TEMPLATES:
            out.append(template.format(name=rng.choice(WORDS) + str(rng.randint(1, 99)),
                                       field=rng.choice(WORDS), num=rng.randint(1, 5000)))
    return "\n".join(out[:lines]) + "\n"


def measure(command):
    """Wall seconds and peak resident KiB of one run. The wall time is taken around the child
    alone (GNU time's is in hundredths, too coarse for runs of tens of milliseconds); the peak
    is the kernel's for the child and the children it waited for, as GNU time reports it."""
    with tempfile.TemporaryFile() as errors:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=errors)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
        if os.waitstatus_to_exitcode(status) != 0:
            errors.seek(0)
            raise SystemExit("failed: %s\n%s" % (" ".join(command),
                                                  errors.read()[-2000:].decode(errors="replace")))
    return seconds, usage.ru_maxrss


def median_runs(commands, repeats):
    """(median seconds, median KiB) per command; the commands take turns, so a change in the
    machine's load falls on all of them alike."""
    runs = [[] for _ in commands]
    for _ in range(repeats):
        for command, results in zip(commands, runs):
            results.append(measure(command))
    return [(statistics.median(r[0] for r in results), statistics.median(r[1] for r in results))
            for results in runs]


# optipng -o2 tries eight zlib settings at level 9 on the whole decoded picture: on the tall
# pictures that takes minutes and gigabytes, and they are not what people share, so the size
# comparison stops at this many pixels (where the encoder's thorough levels stop too).
OPTIPNG_MAX_PIXELS = 4_000_000


def png_pixels(path):
    """Width times height, from the PNG header."""
    with open(path, "rb") as f:
        head = f.read(24)
    width, height = struct.unpack(">II", head[16:24])
    return width * height


def optimized_size(path, tmp):
    """The size optipng -o2 makes of the same picture, or None beyond OPTIPNG_MAX_PIXELS."""
    if png_pixels(path) > OPTIPNG_MAX_PIXELS:
        return None
    copy = os.path.join(tmp, "optipng.png")
    shutil.copyfile(path, copy)
    subprocess.run(["optipng", "-quiet", "-o2", copy], check=True)
    return os.path.getsize(copy)


def main():
    codalume, repeats = sys.argv[1], int(sys.argv[2])
    sizes = [int(lines) for lines in sys.argv[3:]] or [5, 50, 1000, 10000]
    env_note = "offscreen, %d cores" % os.cpu_count()
    print("render benchmark (%s, median of %d runs, load %.2f)" % (env_note, repeats,
                                                                  os.getloadavg()[0]))
    header = "%7s %6s | %8s %8s %8s | %8s %8s %8s | %9s %9s %9s | %8s %8s %8s" % (
        "lines", "Mpx", "rules", "grammar", "peer", "rules", "grammar", "peer",
        "peer/", "peer/", "grammar/", "codalume", "optipng", "size")
    print(header)
    print("%7s %6s | %8s %8s %8s | %8s %8s %8s | %9s %9s %9s | %8s %8s %8s" % (
        "", "", "s", "s", "s", "MB", "MB", "MB", "rules", "grammar", "rules", "KB", "-o2 KB",
        "ours/opt"))
    print("-" * len(header))
    with tempfile.TemporaryDirectory() as tmp:
        for lines in sizes:
            source = os.path.join(tmp, "input_%d.js" % lines)
            with open(source, "w") as f:
                f.write(generate(lines))
            picture = os.path.join(tmp, "ours.png")
            command = [codalume, "render", source, "--language", "JavaScript", "--preferences",
                       write_prefs(tmp), "-o", picture]
            peer_command = ["/usr/bin/pygmentize", "-l", "javascript", "-f", "png", "-o",
                            os.path.join(tmp, "peer.png"), source]
            grammar, ours, peer = median_runs(
                [command + ["--highlighter", "grammar"], command + ["--highlighter", "rules"],
                 peer_command], repeats)
            size = os.path.getsize(picture)
            optimized = optimized_size(picture, tmp)
            print("%7d %6.1f | %8.3f %8.3f %8.3f | %8.1f %8.1f %8.1f | %8.2fx %8.2fx %8.2fx | "
                  "%8.0f %8s %8s" % (
                      lines, png_pixels(picture) / 1e6, ours[0], grammar[0], peer[0],
                      ours[1] / 1024, grammar[1] / 1024, peer[1] / 1024,
                      peer[0] / max(ours[0], 1e-3), peer[0] / max(grammar[0], 1e-3),
                      grammar[0] / max(ours[0], 1e-3), size / 1024,
                      "-" if optimized is None else "%.0f" % (optimized / 1024),
                      "-" if optimized is None else "%.3f" % (size / optimized)))


def write_prefs(tmp):
    """The default settings, so the user's own file never changes what is measured."""
    path = os.path.join(tmp, "prefs.json")
    if not os.path.exists(path):
        with open(path, "w") as f:
            f.write('{"showPreview":true,"fontSize":14,"fontStyle":"VSCode","fontColor":"#FFFFFF",'
                    '"backgroundColor":"#1E1E1E","authorName":"","email":"","wechat":"",'
                    '"blog":"","startAtLogin":false,"saveToDownloads":true,"showAuthorName":true,'
                    '"showEmail":true,"showWechat":true,"showBlog":true,"backgroundColorR":0.12,'
                    '"backgroundColorG":0.12,"backgroundColorB":0.12,'
                    '"useGradientBackground":false,"gradientEndColorR":0.2,'
                    '"gradientEndColorG":0.2,"gradientEndColorB":0.3,'
                    '"gradientDirection":"vertical"}')
    return path


if __name__ == "__main__":
    main()
