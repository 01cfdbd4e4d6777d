// SPDX-License-Identifier: MIT
// Reads file names, one a line, on standard input and prints for each the language
// classifyLanguage gives and the microseconds it took, tab-separated. The first line out is the
// time the model took to load.
#include <QFile>
#include <QString>
#include <chrono>
#include <iostream>
#include <string>

#include "render/language_classifier.h"

namespace {

long long microsecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace

int main() {
    auto start = std::chrono::steady_clock::now();
    const qsizetype languages = codalume::classifierLanguages().size();
    std::cout << "model\t" << languages << '\t' << microsecondsSince(start) << '\n';
    for (std::string name; std::getline(std::cin, name);) {
        QFile file(QString::fromStdString(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::cerr << "cannot read " << name << '\n';
            return 1;
        }
        const QString code = QString::fromUtf8(file.readAll());
        start = std::chrono::steady_clock::now();
        const QString language = codalume::classifyLanguage(code);
        std::cout << language.toStdString() << '\t' << microsecondsSince(start) << '\n';
    }
    return 0;
}
