// SPDX-License-Identifier: MIT
#include "render/language_classifier.h"

#include <QFile>
#include <QStringView>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace codalume {

namespace {

// The tokenizer below must cut text exactly as tools/language_model.py does: the model's
// features are its tokens.
constexpr int kMaxLines = 400;
constexpr int kMaxTokens = 6000;
constexpr int kMaxWord = 20;

struct Model {
    QStringList languages;
    std::vector<double> biases;
    std::unordered_map<std::string, size_t> features;  // feature -> row
    // Row r is weights[rowStarts[r]] up to weights[rowStarts[r + 1]]: (language, weight), zeros
    // left out. One array instead of a vector per row: loading made thousands of small
    // allocations, a good part of the model's loading time.
    std::vector<std::pair<int, double>> weights;
    std::vector<size_t> rowStarts{0};
};

// "codalume-language-model 2 <scale>", then "<language>:<bias>" pairs split by tabs.
bool readHeader(QFile &file, Model &model, double &scale) {
    const QList<QByteArray> magic = file.readLine().trimmed().split(' ');
    if (magic.size() != 3 || magic[0] != "codalume-language-model" || magic[1] != "2") {
        return false;
    }
    scale = magic[2].toDouble();
    for (const QByteArray &entry : file.readLine().trimmed().split('\t')) {
        const qsizetype colon = entry.lastIndexOf(':');
        if (colon <= 0) {
            return false;
        }
        model.languages << QString::fromUtf8(entry.left(colon));
        model.biases.push_back(entry.mid(colon + 1).toInt() / scale);
    }
    return scale > 0 && !model.languages.isEmpty();
}

// "<language index>:<weight>" pairs split by blanks, up to the end of the line, added to
// `pairs`.
void readWeights(const char *at, const char *end, int languages, double scale,
                 std::vector<std::pair<int, double>> &pairs) {
    while (at < end) {
        int language = -1;
        int weight = 0;
        auto parsed = std::from_chars(at, end, language);
        if (parsed.ec == std::errc() && parsed.ptr < end && *parsed.ptr == ':') {
            parsed = std::from_chars(parsed.ptr + 1, end, weight);
        }
        if (parsed.ec != std::errc() || language < 0 || language >= languages) {
            return;
        }
        pairs.emplace_back(language, weight / scale);
        at = parsed.ptr + 1;
    }
}

// Then one line per feature: the feature, a tab, its weights.
Model loadModel() {
    Model model;
    double scale = 1;
    QFile file(QStringLiteral(":/codalume/language_model.txt"));
    if (!file.open(QIODevice::ReadOnly) || !readHeader(file, model, scale)) {
        return {};
    }
    const QByteArray rest = file.readAll();
    const int languages = int(model.languages.size());
    const auto lines = size_t(std::count(rest.begin(), rest.end(), '\n')) + 1;
    model.features.reserve(lines);
    model.rowStarts.reserve(lines + 1);
    model.weights.reserve(size_t(rest.size()) / 4);  // a pair takes at least four characters
    for (const char *at = rest.constData(), *end = at + rest.size(); at < end;) {
        const char *lineEnd = std::find(at, end, '\n');
        if (const char *tab = std::find(at, lineEnd, '\t'); tab != at && tab != lineEnd) {
            model.features.emplace(std::string(at, tab), model.rowStarts.size() - 1);
            readWeights(tab + 1, lineEnd, languages, scale, model.weights);
            model.rowStarts.push_back(model.weights.size());
        }
        at = lineEnd + 1;
    }
    return model;
}

const Model &model() {
    static const Model loaded = loadModel();
    return loaded;
}

bool isWordChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_';
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The end of the word at `i`; a number may hold dots too.
qsizetype wordEnd(QStringView line, qsizetype i, bool dots = false) {
    while (i < line.size() && (isWordChar(line[i].unicode()) || (dots && line[i] == u'.'))) {
        ++i;
    }
    return i;
}

// The index after the quote that closes the one at `i` on this line, or -1.
qsizetype stringEnd(QStringView line, qsizetype i) {
    const QChar quote = line[i];
    for (++i; i < line.size();) {
        if (line[i] == u'\\') {
            i += 2;
        } else if (line[i] == quote) {
            return i + 1;
        } else {
            ++i;
        }
    }
    return -1;
}

std::string ascii(QStringView text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar c : text) {
        out += char(c.unicode());
    }
    return out;
}

// Words (cut to kMaxWord), numbers as "0", other printable ASCII one character at a time, a
// string closed on its line as its quote alone; "@", "$" and "#" stay on the word they start.
// Anything outside printable ASCII separates tokens.
std::vector<std::string> lineTokens(QStringView line) {
    std::vector<std::string> tokens;
    for (qsizetype i = 0; i < line.size();) {
        const char16_t c = line[i].unicode();
        qsizetype end = i + 1;
        if (c <= 32 || c >= 127) {
            i = end;
            continue;
        }
        if (isLetter(c) || c == u'_') {
            end = wordEnd(line, i);
            tokens.push_back(ascii(line.mid(i, std::min<qsizetype>(end - i, kMaxWord))));
        } else if (c >= u'0' && c <= u'9') {
            end = wordEnd(line, i, true);
            tokens.emplace_back("0");
        } else if ((c == u'@' || c == u'$' || c == u'#') && i + 1 < line.size() &&
                   isLetter(line[i + 1].unicode())) {
            end = wordEnd(line, i + 1);
            tokens.push_back(ascii(line.mid(i, std::min<qsizetype>(end - i, kMaxWord + 1))));
        } else {
            if (c == u'"' || c == u'\'' || c == u'`') {
                end = std::max(end, stringEnd(line, i));
            }
            tokens.emplace_back(1, char(c));
        }
        i = end;
    }
    return tokens;
}

// The features a text shows: every token, every pair of neighbours on a line ("a b"), the
// first token of a line (" a") and the last ("a "). Only those the model knows are kept (as
// rows); `total` counts them all.
struct FeatureCounts {
    const Model &model;
    std::vector<size_t> rows;
    long long total = 0;

    void add(const std::string &feature) {
        if (const auto found = model.features.find(feature); found != model.features.end()) {
            rows.push_back(found->second);
        }
    }

    void addLine(const std::vector<std::string> &tokens) {
        total += 2 * qsizetype(tokens.size()) + 1;
        add(' ' + tokens.front());
        add(tokens.back() + ' ');
        std::string pair;
        for (size_t i = 0; i < tokens.size(); ++i) {
            add(tokens[i]);
            if (i + 1 < tokens.size()) {
                pair.assign(tokens[i]).append(1, ' ').append(tokens[i + 1]);
                add(pair);
            }
        }
    }

    // A language's score is its bias plus, per feature, weight x sqrt(count) / sqrt(total).
    QString best() {
        if (rows.empty()) {
            return QStringLiteral("Text");
        }
        std::vector<double> scores = model.biases;
        std::sort(rows.begin(), rows.end());
        const double norm = std::sqrt(double(total));
        for (size_t i = 0; i < rows.size();) {
            size_t next = i;
            while (next < rows.size() && rows[next] == rows[i]) {
                ++next;
            }
            const double value = std::sqrt(double(next - i)) / norm;
            for (size_t k = model.rowStarts[rows[i]]; k < model.rowStarts[rows[i] + 1]; ++k) {
                const auto &[language, weight] = model.weights[k];
                scores[size_t(language)] += weight * value;
            }
            i = next;
        }
        const auto winner = std::max_element(scores.begin(), scores.end());
        return model.languages[qsizetype(winner - scores.begin())];
    }
};

}  // namespace

QString classifyLanguage(const QString &code) {
    const Model &loaded = model();
    FeatureCounts features{loaded, {}, 0};
    int lines = 0;
    int tokenCount = 0;
    for (QStringView line : QStringView(code).tokenize(u'\n')) {
        if (lines++ == kMaxLines) {
            break;
        }
        const std::vector<std::string> tokens = lineTokens(line);
        if (tokens.empty()) {
            continue;
        }
        tokenCount += int(tokens.size());
        if (tokenCount > kMaxTokens) {
            break;
        }
        features.addLine(tokens);
    }
    return features.best();
}

const QStringList &classifierLanguages() {
    return model().languages;
}

}  // namespace codalume
