#include "printer/notices.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qrp {
namespace {

// Records the notices it receives, in order, as (kind, value).
class NoticeSink : public QObject {
public:
    std::vector<std::pair<int, int>> received;

protected:
    void customEvent(QEvent* event) override
    {
        if (const TQRNotice* n = AsProgressNotice(event)) received.emplace_back(0, n->Value());
        if (const TQRNotice* n = AsPageAvailableNotice(event)) received.emplace_back(1, n->Value());
    }
};

TEST(Notices, ArriveQueuedInOrderWithTheirValues)
{
    NoticeSink sink;
    PostProgressNotice(&sink, 40);
    PostPageAvailableNotice(&sink, 3);
    PostProgressNotice(&sink, 100);
    EXPECT_TRUE(sink.received.empty()) << "posted, not sent";
    QCoreApplication::processEvents();
    const std::vector<std::pair<int, int>> expected = {{0, 40}, {1, 3}, {0, 100}};
    EXPECT_EQ(sink.received, expected);
}

TEST(Notices, ReachOnlyAClientThatStillExists)
{
    auto sink = std::make_unique<NoticeSink>();
    PostProgressNotice(sink.get(), 5);
    sink.reset();
    QCoreApplication::processEvents();  // must not touch the destroyed client
    PostProgressNotice(nullptr, 5);     // no client: nothing
    QCoreApplication::processEvents();
    SUCCEED();
}

TEST(Notices, OtherEventsAreNoNotices)
{
    QEvent sameNumber(kProgressNotice);
    EXPECT_EQ(AsProgressNotice(&sameNumber), nullptr);
    TQRNotice progress(kProgressNotice, 1);
    EXPECT_EQ(AsPageAvailableNotice(&progress), nullptr);
    QEvent paint(QEvent::Paint);
    EXPECT_EQ(AsProgressNotice(&paint), nullptr);
}

}  // namespace
}  // namespace qrp
