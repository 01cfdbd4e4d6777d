# SPDX-License-Identifier: MIT
"""What the language classifier's trainer and its bench share: the tokenizer (which
src/render/language_classifier.cpp repeats exactly), the corpus manifest and the snippets cut
from its files."""
import os
import random

LANGUAGES = ["C", "C++", "C#", "Go", "Rust", "Java", "Kotlin", "Swift", "Objective-C",
             "JavaScript", "TypeScript", "Python", "Ruby", "PHP", "Perl", "Lua", "Shell", "SQL",
             "HTML", "XML", "CSS", "JSON", "YAML", "Markdown", "CMake"]

MAX_LINES = 400     # only the start of a long text is looked at
MAX_TOKENS = 6000
MAX_WORD = 20       # longer words are cut: they are names, not keywords
QUOTES = "\"'`"


def _word_end(line, i):
    n = len(line)
    while i < n and (line[i].isascii() and (line[i].isalnum() or line[i] == "_")):
        i += 1
    return i


def _string_end(line, i):
    """Index after the quote that closes the one at i on the same line, or -1."""
    quote, n = line[i], len(line)
    i += 1
    while i < n:
        if line[i] == "\\":
            i += 2
        elif line[i] == quote:
            return i + 1
        else:
            i += 1
    return -1


def line_tokens(line):
    """Words (cut to MAX_WORD), numbers as "0", punctuation one character at a time, a quoted
    string on one line as its quote character alone; "@", "$" and "#" stay on the word they
    start. Anything outside printable ASCII separates tokens."""
    tokens, i, n = [], 0, len(line)
    while i < n:
        c = line[i]
        if ord(c) <= 32 or ord(c) >= 127:
            i += 1
        elif c.isalpha() or c == "_":
            end = _word_end(line, i)
            tokens.append(line[i:min(end, i + MAX_WORD)])
            i = end
        elif c.isdigit():
            end = i + 1
            while end < n and line[end].isascii() and (line[end].isalnum() or line[end] in "_."):
                end += 1
            tokens.append("0")
            i = end
        elif c in "@$#" and i + 1 < n and line[i + 1].isascii() and line[i + 1].isalpha():
            end = _word_end(line, i + 1)
            tokens.append(line[i:min(end, i + 1 + MAX_WORD)])
            i = end
        elif c in QUOTES and _string_end(line, i) > 0:
            tokens.append(c)
            i = _string_end(line, i)
        else:
            tokens.append(c)
            i += 1
    return tokens


def features(text):
    """Counts of the features of a text: every token, every pair of neighbours on a line
    ("a b"), the first token of a line (" a") and the last ("a ")."""
    counts, total = {}, 0
    for line in text.split("\n")[:MAX_LINES]:
        tokens = line_tokens(line)
        if not tokens:
            continue
        if total + len(tokens) > MAX_TOKENS:
            break
        total += len(tokens)
        found = [" " + tokens[0], tokens[-1] + " "]
        found += tokens
        found += [a + " " + b for a, b in zip(tokens, tokens[1:])]
        for feature in found:
            counts[feature] = counts.get(feature, 0) + 1
    return counts


def read_manifest(root):
    rows = []
    with open(os.path.join(root, "manifest.tsv"), encoding="utf-8") as manifest:
        next(manifest)
        for line in manifest:
            path, language, package, side, _ = line.rstrip("\n").split("\t", 4)
            rows.append({"path": os.path.join(root, path), "language": language,
                         "package": package, "side": side})
    return rows


def snippets(text, count, rng, shortest=15, longest=60):
    """`count` runs of shortest..longest lines at random places, each with at least ten lines
    that are not blank; a file shorter than `shortest` lines gives none."""
    lines = text.rstrip("\n").split("\n")
    found = []
    for _ in range(count * 3):
        if len(found) == count or len(lines) < shortest:
            break
        length = min(rng.randint(shortest, longest), len(lines))
        start = rng.randint(0, len(lines) - length)
        piece = lines[start:start + length]
        if sum(1 for line in piece if line.strip()) >= 10:
            found.append("\n".join(piece) + "\n")
    return found


def test_snippets(rows, per_language=300, per_package=40, seed=1):
    """The evaluation set: snippets of the test side's files, at most `per_package` from one
    package so that no package decides a language's figure alone."""
    rng = random.Random(seed)
    by_language = {}
    for row in rows:
        if row["side"] == "test":
            by_language.setdefault(row["language"], []).append(row)
    chosen = []
    for language in LANGUAGES:
        files = sorted(by_language.get(language, []), key=lambda r: r["path"])
        rng.shuffle(files)
        taken, from_package = [], {}
        for row in files:
            if len(taken) == per_language:
                break
            if from_package.get(row["package"], 0) >= per_package:
                continue
            with open(row["path"], encoding="utf-8") as source:
                pieces = snippets(source.read(), 1, rng)
            if pieces:
                from_package[row["package"]] = from_package.get(row["package"], 0) + 1
                taken.append((language, row["package"], pieces[0]))
        chosen += taken
    return chosen
