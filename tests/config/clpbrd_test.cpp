// The internal clipboard: what leaves for the system clipboard, the
// splitting of other programs' text, and rows that outlive their window.

#include "config/vortalin_clpbrd.h"

#include <gtest/gtest.h>

#include <QMimeData>

#include <vector>

namespace {

class RecordingSink : public IClpBrdSink {
public:
    void SetMimeData(std::unique_ptr<QMimeData> data) override { received.push_back(std::move(data)); }
    std::vector<std::unique_ptr<QMimeData>> received;
};

std::unique_ptr<TIntClpBrd> content(uint8_t flags, QStringList lines, int rows = 0)
{
    auto c = std::make_unique<TIntClpBrd>();
    c->Flags = flags;
    c->Lines = std::move(lines);
    for (int i = 0; i < rows; ++i) {
        TClpBrdItem item;
        item.Address = 0x100 + i;
        c->Items.push_back(item);
    }
    return c;
}

TEST(ClpBrdTest, StoredContentsReachTheSystemClipboardOnlyWithTheTextBit)
{
    struct Case {
        uint8_t flags;
        QStringList lines;
        bool sent;
        QString text;
        bool rows, values, remarks;
    };
    const QStringList three{QStringLiteral("0\t1.01\tA"), QStringLiteral("0\t1.02\tA"),
                            QStringLiteral("3\t2.10\t0-7")};
    const Case cases[] = {
        {cbfTextOnly, {QStringLiteral("Hallo")}, true, QStringLiteral("Hallo"), false, false, false},
        {cbfParameters, three, true, three.join(QStringLiteral("\r\n")), true, false, false},
        {cbfRows, three, true, QStringLiteral("0\t1.01\tA\r\n0\t1.02\tA\r\n3\t2.10\t0-7"), true, true, true},
        {cbfRows & ~cbfLines, three, false, {}, true, true, true},
        {cbfTextOnly, {QString(), QString()}, true, QStringLiteral("\r\n"), false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.flags));
        auto sink = std::make_shared<RecordingSink>();
        TVortalinClpBrd clp;
        clp.SetSink(sink);
        auto made = content(c.flags, c.lines, 3);
        const TIntClpBrd* raw = made.get();
        clp.SetIntClpBrd(std::move(made));
        EXPECT_EQ(clp.Content(), raw);
        EXPECT_EQ(raw->PastesRows(), c.rows);
        EXPECT_EQ(raw->HasValues(), c.values);
        EXPECT_EQ(raw->HasRemarks(), c.remarks);
        ASSERT_EQ(sink->received.size(), c.sent ? 1u : 0u);
        if (c.sent) {
            EXPECT_EQ(sink->received[0]->text(), c.text);
            EXPECT_TRUE(sink->received[0]->hasText());
        }
    }
}

TEST(ClpBrdTest, ReplacingOrEmptyingLeavesTheSystemClipboardAloneAndTheHookAddsFormats)
{
    auto sink = std::make_shared<RecordingSink>();
    TVortalinClpBrd clp;
    clp.SetIntClpBrd(content(cbfRows, {QStringLiteral("x")}));  // no sink yet: nothing leaves
    clp.SetSink(sink);
    clp.OnFillMimeData = [](QMimeData& d, const TIntClpBrd& c) {
        d.setData(QStringLiteral("application/x-test"), QByteArray::number(c.Count()));
    };
    clp.SetIntClpBrd(content(cbfRows, {QStringLiteral("a"), QStringLiteral("b")}, 2));
    ASSERT_EQ(sink->received.size(), 1u);
    EXPECT_EQ(sink->received[0]->text(), QStringLiteral("a\r\nb"));
    EXPECT_EQ(sink->received[0]->data(QStringLiteral("application/x-test")), QByteArray("2"));
    clp.SetIntClpBrd(nullptr);
    EXPECT_EQ(clp.Content(), nullptr);
    EXPECT_EQ(sink->received.size(), 1u);
}

TEST(ClpBrdTest, RowDescriptionOutlivesTheCopyingWindow)
{
    TVortalinClpBrd clp;
    {
        // The window's own description, dropped when the window closes.
        auto para = std::make_shared<TParaRec>();
        para->Addr = 0x0102;
        auto c = content(cbfRows, {QStringLiteral("x")});
        TClpBrdItem item;
        item.Para = para;
        c->Items.push_back(item);
        clp.SetIntClpBrd(std::move(c));
    }
    ASSERT_EQ(clp.Content()->Count(), 1);
    ASSERT_TRUE(clp.Content()->Items[0].Para);
    EXPECT_EQ(clp.Content()->Items[0].Para->Addr, 0x0102);
    // A row that was never read is not a valid value.
    EXPECT_FALSE(clp.Content()->Items[0].ValueValid);
}

TEST(ClpBrdTest, OtherProgramsTextSplitsIntoLines)
{
    const std::pair<QString, QStringList> cases[] = {
        {QString(), {}},
        {QStringLiteral("a"), {QStringLiteral("a")}},
        {QStringLiteral("a\r\nb\r\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\nb\rc"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {QStringLiteral("a\n\nb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("\r\n"), {QString()}},
        {QStringLiteral("a\r\r\n"), {QStringLiteral("a"), QString()}},
        {QStringLiteral("a\n\r"), {QStringLiteral("a"), QString()}},
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(SplitClipboardText(text), lines);
    }
}

}  // namespace
