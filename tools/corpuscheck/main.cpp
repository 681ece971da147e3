// corpuscheck: renders every corpus picture with qrptool, scores it against the GDI
// references and writes the score table.
#include "tools/corpuscheck/corpus_run.h"
#include "tools/corpuscheck/placeable_wmfs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <iostream>

namespace {
int WriteGenerated(const QString& dir)
{
    QDir().mkpath(dir);
    for (const corpuscheck::GeneratedPicture& picture : corpuscheck::PlaceableWmfs()) {
        QFile file(dir + "/" + QString::fromStdString(picture.name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(picture.bytes.data()), static_cast<qint64>(picture.bytes.size())) !=
                static_cast<qint64>(picture.bytes.size())) {
            std::cerr << "corpuscheck: " << qPrintable(file.fileName()) << ": " << qPrintable(file.errorString()) << "\n";
            return 2;
        }
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    corpuscheck::CorpusOptions options;
    options.sharedDir = qEnvironmentVariable("QRP_SHARED_DIR", QStringLiteral(QRP_SOURCE_DIR "/../shared"));
    options.qrptool = QStringLiteral(QRPTOOL_PATH);
    options.generatedReferences = QStringLiteral(QRP_SOURCE_DIR "/tools/corpuscheck/references");
    QString table;
    QTemporaryDir temporary;
    options.outDir = temporary.path();
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--shared" && hasValue) options.sharedDir = args[++i];
        else if (a == "--qrptool" && hasValue) options.qrptool = args[++i];
        else if (a == "--out" && hasValue) options.outDir = args[++i];
        else if (a == "--table" && hasValue) table = args[++i];
        else if (a == "--jobs" && hasValue) options.jobs = args[++i].toInt();
        else if (a == "--timeout" && hasValue) options.timeoutMs = args[++i].toInt() * 1000;
        else if (a == "--small" && hasValue) options.smallWidth = args[++i].toInt();
        else if (a == "--write-generated" && hasValue) return WriteGenerated(args[++i]);
        else {
            std::cerr << "Usage: corpuscheck [--shared DIR] [--qrptool PATH] [--out DIR] [--table FILE.md]\n"
                         "                   [--jobs N] [--timeout SECONDS] [--small WIDTH (0: no thumbnail pass)]\n"
                         "       corpuscheck --write-generated DIR   (the pictures made here, to render references of)\n";
            return 1;
        }
    }
    if (!QFile::exists(options.sharedDir + "/corpus/gdi-reference/INDEX.tsv")) {
        std::cerr << "corpuscheck: no corpus under " << qPrintable(options.sharedDir) << "\n";
        return 2;
    }
    const auto results = corpuscheck::RunCorpus(options, [](const corpuscheck::FileResult& r) {
        std::cout << qPrintable(corpuscheck::StatusName(r.status)) << "\t"
                  << (r.ssimHalf ? qPrintable(QString::number(*r.ssimHalf, 'f', 3)) : "-") << "\t" << r.milliseconds
                  << " ms\t" << qPrintable(r.file) << (r.note.isEmpty() ? "" : "\t") << qPrintable(r.note) << "\n";
    });
    const auto s = corpuscheck::Summarize(results);
    std::cout << "files " << s.files << ", scored " << s.scored << ", mean SSIM "
              << qPrintable(QString::number(s.meanSsim, 'f', 3)) << ", mean SSIM-half "
              << qPrintable(QString::number(s.meanSsimHalf, 'f', 3)) << " (smooth text "
              << qPrintable(QString::number(s.meanSsimHalfSmooth, 'f', 3)) << "), below 0.85: " << s.belowFloor
              << " (" << s.belowFloorOurs << " for a cause of ours)"
              << ", refused " << s.refused << ", crashed " << s.crashed << ", timed out " << s.timedOut << "\n";
    if (!table.isEmpty()) {
        QFile file(table);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            std::cerr << "corpuscheck: " << qPrintable(table) << ": " << qPrintable(file.errorString()) << "\n";
            return 2;
        }
        file.write(corpuscheck::ScoreTable(results).toUtf8());
    }
    return s.crashed || s.timedOut ? 3 : 0;
}
