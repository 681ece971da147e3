#include "printer/report_layout.h"

#include <gtest/gtest.h>

namespace qrp {
namespace {

void ExpectPage(const TQRPage& page, TQRPaperSize size, int width, int length)
{
    EXPECT_EQ(page.PaperSize, size);
    EXPECT_EQ(page.Orientation, poPortrait);
    EXPECT_EQ(page.Width, width);
    EXPECT_EQ(page.Length, length);
}

TEST(BlankLayoutPage, StartsFromTheLocaleThenTakesTheDefaultPrintersPaper)
{
    // Default and Custom keep the locale's measures.
    ExpectPage(BlankLayoutPage(false, TQRPaperSize::Default), TQRPaperSize::Default, 2100, 2970);
    ExpectPage(BlankLayoutPage(true, TQRPaperSize::Default), TQRPaperSize::Default, 2159, 2794);
    ExpectPage(BlankLayoutPage(true, TQRPaperSize::Custom), TQRPaperSize::Custom, 2159, 2794);
    // A named size brings its catalogue measures, portrait, whatever the locale.
    ExpectPage(BlankLayoutPage(false, TQRPaperSize::Letter), TQRPaperSize::Letter, 2159, 2794);
    ExpectPage(BlankLayoutPage(true, TQRPaperSize::A4), TQRPaperSize::A4, 2100, 2970);
    ExpectPage(BlankLayoutPage(false, TQRPaperSize::Ledger), TQRPaperSize::Ledger, 4318, 2794);
    ExpectPage(BlankLayoutPage(false, TQRPaperSize::Env9), TQRPaperSize::Env9, 984, 2254);
}

}  // namespace
}  // namespace qrp
