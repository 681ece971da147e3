// Report files with text for the find and selection tests: A4 pages recorded on a 96-dpi
// device, each line an Arial run drawn at its baseline.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace qrp::testing {

struct TestTextRun {
    int X, Y;  // baseline start, in the page picture's pixels (96 dpi)
    std::u16string Text;
    int Height = 16;  // em height in pixels
};
using TestTextPage = std::vector<TestTextRun>;

std::vector<uint8_t> TextPagePicture(const TestTextPage& page);
void WriteTextReport(const QString& path, const std::vector<TestTextPage>& pages);

}  // namespace qrp::testing
