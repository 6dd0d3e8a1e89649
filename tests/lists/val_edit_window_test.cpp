#include "lists/val_edit.h"
#include "lists/wrk_list_item.h"
#include "wrk_fixture.h"

#include "wait_until.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

using namespace listtest;

namespace {

struct ValEditWindowTest : ::testing::Test {
    void SetUp() override { FillProject(prj); }
    std::shared_ptr<const TParaRec> para(int inv, int addr) { return FindParaShared(prj.GetInv(inv)->Cfg, addr); }
    template <class T> T* child(const char* name) { return ed.findChild<T*>(QString::fromUtf8(name)); }

    TVortalinPrj prj;
    TfrmValEdit ed;
};

TEST_F(ValEditWindowTest, ControlsAndValueFollowEachOther)
{
    int32_t got = -1;
    ed.EditValue(1, 2, para(2, 0x0301), QStringLiteral("Control word"), 0x11, [&](int32_t v) { got = v; });
    ASSERT_TRUE(ed.isVisible());
    const QList<QComboBox*> combos = ed.findChild<QWidget*>(QStringLiteral("pnCC"))->findChildren<QComboBox*>();
    ASSERT_GE(combos.size(), 2);
    auto* edit = child<QLineEdit>("Edit1");
    EXPECT_EQ(combos[0]->currentIndex(), 1);   // Enable: On
    EXPECT_EQ(combos[1]->count(), 3);          // Reserved is hidden
    EXPECT_EQ(combos[1]->currentIndex(), 0);   // Direction: Stop
    emit combos[1]->activated(2);              // Reverse
    EXPECT_EQ(ed.Core().Value, 0x15);
    EXPECT_EQ(edit->text(), ed.Core().ValueText());
    EXPECT_FALSE(child<QScrollBar>("ScrollBar1")->isVisible());  // several fields

    // A number typed sets the lists.
    edit->setText(QStringLiteral("16"));
    emit edit->textEdited(QStringLiteral("16"));
    EXPECT_EQ(ed.Core().Value, 16);
    EXPECT_EQ(combos[0]->currentIndex(), 0);

    child<QPushButton>("OkButton")->click();
    EXPECT_EQ(got, 16);
    EXPECT_FALSE(ed.isVisible());

    // Without a parameter: empty and disabled.
    ed.EditValue(1, 2, nullptr, QString(), 0, nullptr);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_FALSE(child<QPushButton>("OkButton")->isEnabled());
    ed.hide();
}

TEST_F(ValEditWindowTest, ModalEdit)
{
    ed.EditValue(1, 1, para(1, 0x0101), QStringLiteral("a"), 5, nullptr);
    int32_t v = 100;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(qeltest::waitUntil([&] { return ed.isVisible(); }));
        child<QLineEdit>("Edit1")->setText(QStringLiteral("x"));
        ed.Core().Value = 123;
        child<QPushButton>("Cancelbutton")->click();
    });
    EXPECT_EQ(ed.EditModal(para(1, 0x0101), QStringLiteral("b"), v), 2);
    EXPECT_EQ(v, 123);
    EXPECT_EQ(ed.Core().Inverter, 1);  // inverter and set stay those of the last edit
    v = 200;
    QTimer::singleShot(0, [&] { child<QPushButton>("OkButton")->click(); });
    EXPECT_EQ(ed.EditModal(para(1, 0x0101), QStringLiteral("b"), v), 1);
    EXPECT_EQ(v, 200);
    EXPECT_FALSE(ed.isVisible());
}

} // namespace
