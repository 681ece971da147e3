// The corpus check: renders every corpus picture with `qrptool render --text gdi` in its own
// process (so a crash or a hang is seen, not suffered), and scores those that have a GDI
// reference rendering against it; those once more with smooth text, for their own score.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace corpuscheck {

struct CorpusOptions {
    QString sharedDir;  // the shared folder holding corpus/
    QString qrptool;    // the qrptool program
    QString outDir;     // where the renderings go
    int timeoutMs = 60000;
    int smallWidth = 37;  // a second, thumbnail-sized render of each file (0: none)
    int jobs = 2;
    // The GDI renderings of the pictures made here (PlaceableWmfs), NAME.png; empty: those
    // pictures are left out.
    QString generatedReferences;
};

enum class RunStatus {
    kOk,        // rendered
    kRefused,   // qrptool said the input is unreadable (exit 2): scored as a blank page
    kCrashed,   // killed by a signal or any other exit status
    kTimedOut,  // killed after the timeout
};

struct FileResult {
    QString file;  // relative to corpus/, e.g. "emf/libemf2svg/test-001.emf"; "generated/NAME.wmf"
    RunStatus status = RunStatus::kOk;
    bool hasReference = false;
    std::optional<double> ssim;
    std::optional<double> ssimHalf;
    std::optional<double> ssimHalfSmooth;  // SSIM-half of the rendering with smooth text
    QString caveats;  // from the reference index
    // Why the reference is not what GDI draws, where that is known (ReferenceFault); the
    // file then counts apart from those under 0.85 for a cause of the player's.
    QString referenceFault;
    QString note;     // first line of qrptool's error output, or a size mismatch
    int milliseconds = 0;
};

struct CorpusSummary {
    int files = 0;
    int scored = 0;
    double meanSsim = 0;
    double meanSsimHalf = 0;
    double meanSsimHalfSmooth = 0;  // of the same files, text drawn smooth
    double worstSsimHalf = 1;
    int belowFloor = 0;      // scored files with SSIM-half below 0.85
    int belowFloorOurs = 0;  // those of them whose reference is not known to be wrong
    int refused = 0;
    int crashed = 0;
    int timedOut = 0;
};

// Every EMF and WMF under corpus/ and the pictures made here, those with a reference first
// (the made ones are written to outDir/generated/ first); progress is called after
// each file from the worker threads, one call at a time.
std::vector<FileResult> RunCorpus(const CorpusOptions& options,
                                  const std::function<void(const FileResult&)>& progress = {});

CorpusSummary Summarize(const std::vector<FileResult>& results);

// Why the reference of a corpus file ("emf/SET/NAME.emf") is not what GDI draws, shown with
// its score; empty for a file whose reference is taken as right. The evidence for each is
// in docs/corpus-findings.md.
QString ReferenceFault(const QString& file);

// The markdown table kept as docs/corpus-scores.md.
QString ScoreTable(const std::vector<FileResult>& results);

QString StatusName(RunStatus status);

}  // namespace corpuscheck
