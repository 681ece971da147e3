#include "tools/qrptool/render_output.h"

#include "render/play.h"
#include "tools/qrptool/atomic_output.h"
#include "tools/qrptool/pdf_deflate.h"
#include "tools/qrptool/png_file.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <vector>

namespace qrptool {
namespace {

constexpr int64_t kMaxSide = 32767;

int64_t FrameWidth(const qrp::emf::RectL& f) { return std::llabs(int64_t{f.right} - f.left); }
int64_t FrameHeight(const qrp::emf::RectL& f) { return std::llabs(int64_t{f.bottom} - f.top); }

// The painted rectangle of an output device: (0, 0) to its last pixel, inclusive.
QRect WholeDevice(const QSize& size) { return QRect(QPoint(0, 0), size); }

const std::regex& PageField()
{
    static const std::regex field("%(0[1-9][0-9]?)?d");
    return field;
}

// The outputs of one command: each written to its temporary file, all renamed into place
// together once every page was written.
class Outputs {
public:
    explicit Outputs(std::vector<std::string> inputs) : FInputs(std::move(inputs)) {}

    // A new output for name, with file opened on its temporary file.
    AtomicOutputFile& Open(const std::string& name, QFile& file)
    {
        try {
            FFiles.push_back(std::make_unique<AtomicOutputFile>(name, FInputs));
        } catch (const OutputFileError& e) {
            throw OutputError(e.what());
        }
        if (!file.open(FFiles.back()->Descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            throw OutputError(name + ": " + file.errorString().toStdString());
        return *FFiles.back();
    }

    // Checks that the last output took every byte and puts it on the disk.
    void Close(QFile& file, const std::string& name)
    {
        if (!file.flush() || file.error() != QFileDevice::NoError)
            throw OutputError(name + ": " + file.errorString().toStdString());
        file.close();
        try {
            FFiles.back()->Seal();
        } catch (const OutputFileError& e) {
            throw OutputError(e.what());
        }
    }

    void CommitAll()
    {
        try {
            for (auto& file : FFiles) file->Commit(true);
        } catch (const OutputFileError& e) {
            throw OutputError(e.what());
        }
        FFiles.clear();
    }

private:
    std::vector<std::string> FInputs;
    std::vector<std::unique_ptr<AtomicOutputFile>> FFiles;
};

std::string SizeError(const qrp::emf::EnhMetaFile& picture)
{
    const auto& f = picture.Header().rclFrame;
    return "picture frame (" + std::to_string(f.left) + ", " + std::to_string(f.top) + ", " +
           std::to_string(f.right) + ", " + std::to_string(f.bottom) + ") gives no page size";
}

class PngWriter : public PageWriter {
public:
    PngWriter(std::string out, SizeRule rule, bool pattern, std::vector<std::string> inputs, qrp::render::TextMode text)
        : FOut(std::move(out)), FRule(rule), FPattern(pattern), FOutputs(std::move(inputs)), FText(text)
    {
    }

    qrp::render::PlayStats Write(int page, const qrp::emf::EnhMetaFile& picture) override
    {
        const auto size = PlaySize(picture.Header().rclFrame, FRule);
        if (!size) throw OutputError(SizeError(picture));
        QImage image(*size, QImage::Format_RGB32);
        if (image.isNull()) throw OutputError("out of memory for a page image");
        image.fill(Qt::white);
        qrp::render::PlayStats stats;
        {
            QPainter painter(&image);
            stats = qrp::render::PlayEnhMetaFile(painter, picture, WholeDevice(*size), FText);
        }
        const std::string name = FPattern ? PageFileName(FOut, page) : FOut;
        QFile file;
        AtomicOutputFile& output = FOutputs.Open(name, file);
        try {
            WritePng(image, output.Descriptor());
        } catch (const PngWriteError& e) {
            throw OutputError(name + ": " + e.what());
        }
        FOutputs.Close(file, name);
        return stats;
    }

    void Finish() override { FOutputs.CommitAll(); }

private:
    std::string FOut;
    SizeRule FRule;
    bool FPattern;
    Outputs FOutputs;
    qrp::render::TextMode FText;
};

class SvgWriter : public PageWriter {
public:
    SvgWriter(std::string out, SizeRule rule, bool pattern, std::vector<std::string> inputs, qrp::render::TextMode text)
        : FOut(std::move(out)), FRule(rule), FPattern(pattern), FOutputs(std::move(inputs)), FText(text)
    {
    }

    qrp::render::PlayStats Write(int page, const qrp::emf::EnhMetaFile& picture) override
    {
        const auto size = PlaySize(picture.Header().rclFrame, FRule);
        if (!size) throw OutputError(SizeError(picture));
        const std::string name = FPattern ? PageFileName(FOut, page) : FOut;
        QFile file;
        FOutputs.Open(name, file);
        qrp::render::PlayStats stats;
        {
            QSvgGenerator svg;
            svg.setOutputDevice(&file);
            svg.setSize(*size);
            svg.setViewBox(WholeDevice(*size));
            const double frameWidthInches = static_cast<double>(FrameWidth(picture.Header().rclFrame)) / 2540.0;
            svg.setResolution(std::max(1, static_cast<int>(std::lround(size->width() / frameWidthInches))));
            QPainter painter(&svg);
            painter.fillRect(WholeDevice(*size), Qt::white);
            stats = qrp::render::PlayEnhMetaFile(painter, picture, WholeDevice(*size), FText);
        }
        FOutputs.Close(file, name);
        return stats;
    }

    void Finish() override { FOutputs.CommitAll(); }

private:
    std::string FOut;
    SizeRule FRule;
    bool FPattern;
    Outputs FOutputs;
    qrp::render::TextMode FText;
};

// One document; every page sized to its picture's frame, played at one resolution.
class PdfWriter : public PageWriter {
public:
    PdfWriter(std::string out, SizeRule rule, std::vector<std::string> inputs, qrp::render::TextMode text)
        : FOut(std::move(out)), FRule(rule), FOutputs(std::move(inputs)), FText(text)
    {
    }

    qrp::render::PlayStats Write(int, const qrp::emf::EnhMetaFile& picture) override
    {
        const FastPdfDeflate fast;
        const auto& frame = picture.Header().rclFrame;
        if (FrameWidth(frame) == 0 || FrameHeight(frame) == 0) throw OutputError(SizeError(picture));
        const QPageSize pageSize(QSizeF(FrameWidth(frame) / 100.0, FrameHeight(frame) / 100.0),
                                 QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
        if (!FWriter) {
            FOutputs.Open(FOut, FFile);
            FWriter = std::make_unique<QPdfWriter>(&FFile);
            FWriter->setCreator(QStringLiteral("qrptool"));
            FWriter->setResolution(Resolution(frame));
            FWriter->setPageSize(pageSize);
            FWriter->setPageMargins(QMarginsF(0, 0, 0, 0));
            if (!FPainter.begin(FWriter.get())) throw OutputError(FOut + ": cannot write the PDF file");
        } else {
            FWriter->setPageSize(pageSize);
            if (!FWriter->newPage()) throw OutputError(FOut + ": cannot add a page");
        }
        const QRect page(0, 0, FWriter->width(), FWriter->height());
        FPainter.fillRect(page, Qt::white);
        return qrp::render::PlayEnhMetaFile(FPainter, picture, page, FText);
    }

    void Finish() override
    {
        const FastPdfDeflate fast;
        if (!FWriter) throw OutputError(FOut + ": not written");
        if (FPainter.isActive() && !FPainter.end()) throw OutputError(FOut + ": cannot complete the PDF file");
        FOutputs.Close(FFile, FOut);
        FOutputs.CommitAll();
    }

private:
    int Resolution(const qrp::emf::RectL& frame) const
    {
        double dpi = FRule.value;
        if (FRule.kind == SizeRule::kWidth) dpi = FRule.value * 2540.0 / static_cast<double>(FrameWidth(frame));
        return std::clamp(static_cast<int>(std::lround(dpi)), 72, 2400);
    }

    std::string FOut;
    SizeRule FRule;
    Outputs FOutputs;
    qrp::render::TextMode FText;
    QFile FFile;
    std::unique_ptr<QPdfWriter> FWriter;
    QPainter FPainter;
};

}  // namespace

std::optional<QSize> PlaySize(const qrp::emf::RectL& frame, const SizeRule& rule)
{
    const int64_t fw = FrameWidth(frame);
    const int64_t fh = FrameHeight(frame);
    if (fw == 0 || fh == 0 || !(rule.value > 0)) return std::nullopt;
    const double w = rule.kind == SizeRule::kWidth ? std::round(rule.value)
                                                   : std::round(static_cast<double>(fw) * rule.value / 2540.0);
    if (!(w >= 1) || w > kMaxSide) return std::nullopt;
    const int64_t width = static_cast<int64_t>(w);
    // 1 + round((W-1) * fh / fw), halves up, in integers.
    const int64_t height = 1 + (2 * (width - 1) * fh + fw) / (2 * fw);
    if (height > kMaxSide) return std::nullopt;
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

std::optional<OutputFormat> OutputFormatOf(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos) return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "png") return OutputFormat::kPng;
    if (ext == "svg") return OutputFormat::kSvg;
    if (ext == "pdf") return OutputFormat::kPdf;
    return std::nullopt;
}

bool HasPageField(const std::string& pattern) { return std::regex_search(pattern, PageField()); }

std::string PageFileName(const std::string& pattern, int page)
{
    std::smatch match;
    if (!std::regex_search(pattern, match, PageField())) return pattern;
    std::string number = std::to_string(page);
    if (match[1].matched) {
        const size_t width = static_cast<size_t>(std::stoi(match[1].str()));
        if (number.size() < width) number.insert(0, width - number.size(), '0');
    }
    return match.prefix().str() + number + match.suffix().str();
}

std::unique_ptr<PageWriter> MakePageWriter(OutputFormat format, const std::string& out, const SizeRule& rule,
                                           bool pattern, const std::vector<std::string>& inputs,
                                           qrp::render::TextMode text)
{
    switch (format) {
    case OutputFormat::kPng:
        return std::make_unique<PngWriter>(out, rule, pattern, inputs, text);
    case OutputFormat::kSvg:
        return std::make_unique<SvgWriter>(out, rule, pattern, inputs, text);
    case OutputFormat::kPdf:
        break;
    }
    return std::make_unique<PdfWriter>(out, rule, inputs, text);
}

}  // namespace qrptool
