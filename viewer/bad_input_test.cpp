// Hostile and foreign report files: every one either opens and pages without a crash or
// shows "Arquivo inválido." and leaves the window usable.
#include "test_viewer_fixture.h"

#include "base/test_shared.h"

#include <QDirIterator>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qrp {
namespace {

using namespace testsupport;

class BadInputTest : public ViewerTest {
protected:
    // Opens the bytes as a report; true when it opened.
    bool Open(TForm1& form, const std::vector<uint8_t>& bytes)
    {
        const QString path = Path(QStringLiteral("hostile.QRP"));
        WriteFile(path, bytes);
        const qsizetype before = FDialogs.Messages.size();
        form.OpenReport(path);
        const bool failed = FDialogs.Messages.size() > before;
        if (failed) {
            EXPECT_EQ(FDialogs.Messages.back(), QStringLiteral("Arquivo inválido."));
        }
        return !failed;
    }
    // Pages through whatever is open and paints each page.
    void PageAndPaint(TForm1& form)
    {
        form.SpeedButton4->click();
        form.SpeedButton1->click();
        form.SpeedButton3->click();
        form.SpeedButton5->click();
        form.grab();
    }
};

TEST_F(BadInputTest, LyingCountsLoopingLinksAndCutPicturesAreInvalid)
{
    TForm1& form = Start({});
    // The same bytes, told truthfully, make a sound report.
    ASSERT_TRUE(Open(form, RawReport({BandedPagePicture(1), BandedPagePicture(2)}, 2)));
    try {
        SharedReportPrinter().Load(Path(QStringLiteral("hostile.QRP")).toStdString());
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
    const std::vector<uint8_t> page = BandedPagePicture(1);
    const std::vector<std::vector<uint8_t>> three{BandedPagePicture(1), BandedPagePicture(2), BandedPagePicture(3)};
    const int32_t firstRecord = 128;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> hugePicture = page;
    const uint32_t claimed = 0x7FFFFFF0;  // nBytes far beyond the file
    std::memcpy(hugePicture.data() + 48, &claimed, 4);
    std::vector<uint8_t> cutPicture(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(page.size() / 2));
    const Case cases[] = {
        {"more pages claimed than held", RawReport({page}, 5)},
        {"page count negative", RawReport({page}, -3)},
        {"page count huge", RawReport({page}, 0x7FFFFFFF)},
        {"forward link loops onto its own record", RawReport(three, 3, {firstRecord, firstRecord, firstRecord})},
        {"forward link points backwards into the header", RawReport(three, 3, {4, 4, 4})},
        {"forward link beyond the file", RawReport(three, 3, {0x7FFFFF00, 0, 0})},
        {"forward link negative", RawReport(three, 3, {-400, -400, -400})},
        {"picture size lies", RawReport({hugePicture}, 1)},
        {"picture cut in half", RawReport({cutPicture}, 1)},
        {"header only", RawReport({}, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Open(form, c.bytes));
        PageAndPaint(form);
    }
    EXPECT_TRUE(FDialogs.Errors.isEmpty()) << FDialogs.Errors.join(QStringLiteral(" | ")).toStdString();
    // Usable afterwards: a sound report opens and pages.
    form.OpenReport(Report(QStringLiteral("sound.QRP"), 3));
    form.SpeedButton4->click();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 3 de 3"));
}

// Every corpus picture packed as `qrptool pack` packs it (EMF and placeable WMF), and every
// EMF file's bytes taken as a page as they are, whether a picture reader accepts them or not.
TEST_F(BadInputTest, EveryCorpusPictureAsAOnePageReportOpensWithoutACrash)
{
    const char* shared = std::getenv("QRP_SHARED_DIR");
    const QString corpus = QString::fromLocal8Bit(shared ? shared : "") + QStringLiteral("/corpus");
    if (!shared || !QDir(corpus + QStringLiteral("/emf")).exists()) QRP_SKIP_WITHOUT_SHARED("QRP_SHARED_DIR/corpus is not here");
    TForm1& form = Start({});
    form.resize(1045, 545);
    form.show();
    int packed = 0, unpackable = 0, packedOpened = 0, rawOpened = 0, rawRefused = 0;
    QDirIterator it(corpus, {QStringLiteral("*.emf"), QStringLiteral("*.EMF"), QStringLiteral("*.wmf"), QStringLiteral("*.WMF")},
                    QDir::Files, QDirIterator::Subdirectories);
    const QString report = Path(QStringLiteral("packed.QRP"));
    while (it.hasNext()) {
        const QString file = it.next();
        SCOPED_TRACE(file.toStdString());
        bool canPack = true;
        try {
            WritePackedReport(report.toStdString(), file.toStdString());
        } catch (const std::exception&) {
            canPack = false;
        }
        if (canPack) {
            ++packed;
            const qsizetype before = FDialogs.Messages.size();
            form.OpenReport(report);
            if (FDialogs.Messages.size() == before) {
                ++packedOpened;
                PageAndPaint(form);
            }
        } else {
            ++unpackable;
        }
        if (file.endsWith(QStringLiteral(".emf"), Qt::CaseInsensitive)) {
            if (Open(form, RawReport({ReadFile(file)}, 1))) {
                ++rawOpened;
                PageAndPaint(form);
            } else {
                ++rawRefused;
            }
        }
    }
    std::printf("corpus: %d packed (%d opened), %d not packable; as raw pages %d opened, %d refused\n", packed,
                packedOpened, unpackable, rawOpened, rawRefused);
    EXPECT_GT(packedOpened, 0);
    EXPECT_EQ(FDialogs.Messages.count(QStringLiteral("Arquivo inválido.")), FDialogs.Messages.size());
    EXPECT_TRUE(FDialogs.Errors.isEmpty()) << FDialogs.Errors.join(QStringLiteral(" | ")).toStdString();
}

}  // namespace
}  // namespace qrp
