#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Trains the language classifier shipped in resources/language_model.txt: a linear model
(multinomial logistic regression) over the features of tools/language_model.py, fitted to
snippets of the corpus's training side (tools/make_language_corpus.py). Needs python3-numpy and
python3-scipy.

Usage: tools/train_language_model.py CORPUS_DIR [MODEL_FILE]
  Prints the accuracy of the written model on the test side's snippets (the ones
  bench/classifier_bench.py measures).

A text's value for feature f is sqrt(count of f) / sqrt(count of all its features), so long and
short texts weigh alike and a feature repeated counts less and less. A language's score is its
bias plus the sum of value x weight; the highest score names the language.

The model file is text: "codalume-language-model 2 <scale>", then the languages with their
biases ("C:-12<tab>C++:40..."), then one line per feature: the feature, a tab, and
"<language index>:<weight>" pairs, weights of zero left out. Biases and weights are integers:
the fitted value times <scale>.
"""
import math
import os
import random
import sys

import numpy
import scipy.optimize
import scipy.sparse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import language_model as lm  # noqa: E402

SNIPPETS_PER_LANGUAGE = 5000
MIN_SNIPPETS = 20     # a feature must show in this many training snippets to be weighed at all
FEATURES = 3000       # the features kept: those with the largest weights
REGULARISATION = 1e-6
ITERATIONS = 300
SCALE = 5


def training_snippets(rows, rng):
    """(language, features) of up to SNIPPETS_PER_LANGUAGE snippets per language, spread over
    its training files."""
    by_language = {}
    for row in rows:
        if row["side"] == "train":
            by_language.setdefault(row["language"], []).append(row)
    found = []
    for language in lm.LANGUAGES:
        files = sorted(by_language.get(language, []), key=lambda r: r["path"])
        if not files:
            sys.exit("no training files for " + language)
        each = max(1, min(8, SNIPPETS_PER_LANGUAGE // len(files)))
        rng.shuffle(files)
        count = 0
        for row in files:
            if count >= SNIPPETS_PER_LANGUAGE:
                break
            with open(row["path"], encoding="utf-8") as source:
                for piece in lm.snippets(source.read(), each, rng):
                    count += 1
                    found.append((language, lm.features(piece)))
    return found


def matrix(samples, index):
    rows, columns, values = [], [], []
    for row, counts in enumerate(samples):
        norm = math.sqrt(sum(counts.values())) or 1.0
        for feature, n in counts.items():
            column = index.get(feature)
            if column is not None:
                rows.append(row)
                columns.append(column)
                values.append(math.sqrt(n) / norm)
    return scipy.sparse.csr_matrix((values, (rows, columns)), shape=(len(samples), len(index)))


def fit(x, y):
    """Weights (features x languages) and biases minimising the softmax loss, every language
    weighted alike whatever its number of snippets, plus REGULARISATION x the squared weights."""
    languages = len(lm.LANGUAGES)
    features = x.shape[1]
    share = numpy.bincount(y, minlength=languages).astype(float)
    weight = (len(y) / (languages * numpy.maximum(share, 1)))[y] / len(y)
    truth = numpy.zeros((len(y), languages))
    truth[numpy.arange(len(y)), y] = 1

    def loss(flat):
        w = flat[:features * languages].reshape(features, languages)
        z = x @ w + flat[features * languages:]
        z -= z.max(axis=1, keepdims=True)
        p = numpy.exp(z)
        p /= p.sum(axis=1, keepdims=True)
        value = -(weight * numpy.log(p[numpy.arange(len(y)), y] + 1e-12)).sum()
        value += REGULARISATION * (w * w).sum()
        g = (p - truth) * weight[:, None]
        gradient = numpy.concatenate([(x.T @ g + 2 * REGULARISATION * w).ravel(), g.sum(0)])
        return value, gradient

    result = scipy.optimize.minimize(loss, numpy.zeros(features * languages + languages),
                                     jac=True, method="L-BFGS-B",
                                     options={"maxiter": ITERATIONS})
    return (result.x[:features * languages].reshape(features, languages),
            result.x[features * languages:])


def train(samples):
    frequency = {}
    for _, counts in samples:
        for feature in counts:
            frequency[feature] = frequency.get(feature, 0) + 1
    vocabulary = sorted(f for f, n in frequency.items() if n >= MIN_SNIPPETS)
    y = numpy.array([lm.LANGUAGES.index(language) for language, _ in samples])
    counts = [c for _, c in samples]
    weights, _ = fit(matrix(counts, {f: i for i, f in enumerate(vocabulary)}), y)
    strongest = numpy.argsort(-numpy.abs(weights).max(axis=1), kind="stable")[:FEATURES]
    kept = sorted(vocabulary[i] for i in strongest)
    weights, biases = fit(matrix(counts, {f: i for i, f in enumerate(kept)}), y)
    table = {}
    for feature, row in zip(kept, weights):
        pairs = {i: int(round(w * SCALE)) for i, w in enumerate(row) if round(w * SCALE)}
        if pairs:
            table[feature] = pairs
    return [int(round(b * SCALE)) for b in biases], table


def classify(biases, table, text):
    """What src/render/language_classifier.cpp answers for the text."""
    counts = lm.features(text)
    scores = [float(b) for b in biases]
    known = False
    norm = math.sqrt(sum(counts.values())) or 1.0
    for feature, n in counts.items():
        row = table.get(feature)
        if row is not None:
            known = True
            for index, weight in row.items():
                scores[index] += weight * math.sqrt(n) / norm
    if not known:
        return "Text"
    return lm.LANGUAGES[max(range(len(scores)), key=lambda i: (scores[i], -i))]


def report(biases, table, rows):
    right, total = {}, {}
    for language, _, text in lm.test_snippets(rows):
        total[language] = total.get(language, 0) + 1
        right[language] = right.get(language, 0) + (classify(biases, table, text) == language)
    for language in lm.LANGUAGES:
        if total.get(language):
            print("%-12s %5.1f %% of %d" % (language, 100.0 * right[language] / total[language],
                                            total[language]))
    shares = [right[language] / total[language] for language in total]
    print("%-12s %5.1f %% (mean of the languages)" % ("overall", 100.0 * sum(shares) /
                                                      len(shares)))


def write(path, biases, table):
    with open(path, "w", encoding="utf-8") as out:
        out.write("codalume-language-model 2 %d\n" % SCALE)
        out.write("\t".join("%s:%d" % pair for pair in zip(lm.LANGUAGES, biases)) + "\n")
        for feature in sorted(table):
            pairs = " ".join("%d:%d" % item for item in sorted(table[feature].items()))
            out.write("%s\t%s\n" % (feature, pairs))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    rows = lm.read_manifest(sys.argv[1])
    biases, table = train(training_snippets(rows, random.Random(7)))
    if len(sys.argv) > 2:
        write(sys.argv[2], biases, table)
    report(biases, table, rows)


if __name__ == "__main__":
    main()
