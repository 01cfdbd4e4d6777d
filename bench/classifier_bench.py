#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Accuracy of the two language detectors on snippets (15 to 60 lines) of the corpus's test side,
which holds only packages the classifier was not trained on: classifyLanguage (through
language_classifier_bench) beside the keyword tests of `codalume detect` (which knows twelve
names, so only those can be right there). Then the time classifyLanguage takes for 1,000 lines.

Usage: bench/classifier_bench.py [CORPUS_DIR [BUILD_DIR]]
  CORPUS_DIR as made by tools/make_language_corpus.py (same default); BUILD_DIR default build.
"""
import concurrent.futures
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import language_model as lm  # noqa: E402


def classify_files(bench, paths):
    result = subprocess.run([bench], input="\n".join(paths) + "\n", capture_output=True,
                            text=True, check=True)
    lines = result.stdout.splitlines()
    rows = [line.split("\t") for line in lines[1:]]
    return [row[0] for row in rows], [int(row[1]) for row in rows], lines[0]


def detect(codalume, path):
    result = subprocess.run([codalume, "detect", path], capture_output=True, text=True)
    return result.stdout.strip()


def accuracy_table(snippets, classified, detected):
    counts = {}
    for (language, _, _), mine, theirs in zip(snippets, classified, detected):
        entry = counts.setdefault(language, [0, 0, 0])
        entry[0] += 1
        entry[1] += mine == language
        entry[2] += theirs == language
    print("%-12s %8s %16s %16s" % ("language", "snippets", "classifyLanguage", "detectLanguage"))
    mine_shares, theirs_shares = [], []
    for language in lm.LANGUAGES:
        if language not in counts:
            print("%-12s %8s" % (language, "none"))
            continue
        total, mine, theirs = counts[language]
        mine_shares.append(mine / total)
        theirs_shares.append(theirs / total)
        print("%-12s %8d %15.1f%% %15.1f%%" % (language, total, 100.0 * mine / total,
                                               100.0 * theirs / total))
    all_total = sum(c[0] for c in counts.values())
    print("%-12s %8d %15.1f%% %15.1f%%" % ("all snippets", all_total,
                                           100.0 * sum(c[1] for c in counts.values()) / all_total,
                                           100.0 * sum(c[2] for c in counts.values()) / all_total))
    print("%-12s %8s %15.1f%% %15.1f%%" % ("language mean", "",
                                           100.0 * statistics.mean(mine_shares),
                                           100.0 * statistics.mean(theirs_shares)))


def thousand_lines(rows, folder):
    """One 1,000-line text per language, from its test files end to end."""
    paths = []
    for language in lm.LANGUAGES:
        lines = []
        for row in sorted((r for r in rows if r["side"] == "test" and r["language"] == language),
                          key=lambda r: r["path"]):
            with open(row["path"], encoding="utf-8") as source:
                lines += source.read().split("\n")
            if len(lines) >= 1000:
                break
        if len(lines) >= 1000:
            paths.append(os.path.join(folder, "long-%d.txt" % len(paths)))
            with open(paths[-1], "w", encoding="utf-8") as out:
                out.write("\n".join(lines[:1000]) + "\n")
    return paths


def main():
    cache = os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache")
    corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(cache, "codalume",
                                                                "language-corpus")
    build = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build")
    subprocess.run(["cmake", "--build", build, "--target", "codalume",
                    "language_classifier_bench"], check=True, stdout=subprocess.DEVNULL)
    bench = os.path.join(build, "bench", "language_classifier_bench")
    codalume = os.path.join(build, "src", "codalume")
    rows = lm.read_manifest(corpus)
    snippets = lm.test_snippets(rows)
    with tempfile.TemporaryDirectory() as folder:
        paths = []
        for index, (_, _, text) in enumerate(snippets):
            paths.append(os.path.join(folder, "%05d.txt" % index))
            with open(paths[-1], "w", encoding="utf-8") as out:
                out.write(text)
        classified, _, _ = classify_files(bench, paths)
        with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
            detected = list(pool.map(lambda path: detect(codalume, path), paths))
        accuracy_table(snippets, classified, detected)
        long_paths = thousand_lines(rows, folder)
        times = []
        for _ in range(5):
            _, micros, model_line = classify_files(bench, long_paths)
            times += micros
    packages = sorted({package for _, package, _ in snippets})
    model = os.path.join(ROOT, "resources", "language_model.txt")
    print("\nsnippets from %d test packages; model %d bytes; loading it: %s us" %
          (len(packages), os.path.getsize(model), model_line.split("\t")[2]))
    print("classifyLanguage on 1,000 lines: median %.2f ms, slowest %.2f ms (%d texts x 5)" %
          (statistics.median(times) / 1000, max(times) / 1000, len(long_paths)))


if __name__ == "__main__":
    main()
