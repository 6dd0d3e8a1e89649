// The address editor: lists and typed addresses headless on a sample
// configuration, then the window driven by object name, modeless and modal.

#include "dialogs/glyph_button.h"
#include "lists/adr_edit.h"
#include "project/vortalin_prj.h"
#include "tools/cfgtool/cfg_source.h"

#include "temp_dir.h"
#include "screenshot.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

std::shared_ptr<TCfgRec> sampleCfg(int id)
{
    QFile f(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type%1.json").arg(id, 4, 10, QLatin1Char('0'))));
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    CfgSource src;
    QStringList errors;
    return CfgSourceFromJsonText(f.readAll(), src, errors) ? src.cfg : nullptr;
}

// Answers the project's questions; the configuration choice runs a hook
// while the entry being added has no configuration yet.
class HookInteraction : public IPrjInteraction {
public:
    int Message(const QStringList&, const QStringList&, const QString&, int, const QString&,
                const QString&, const QString&, int, int Cancel) override
    {
        return Cancel;
    }
    QString ChooseSaveFile(const TSaveDlgOptions&) override { return {}; }
    int ChooseCfg(int, bool) override
    {
        if (onChooseCfg)
            onChooseCfg();
        return -1;
    }
    bool EditInv(TInvEditData&) override { return false; }
    int AskAddFile(const QString&, const QStringList&) override { return -2; }
    std::function<void()> onChooseCfg;
};

// Inverter 3 has sample type 21, inverter 5 a type without groups.
class AdrEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto cfg = sampleCfg(21);
        ASSERT_TRUE(cfg);
        // One group without parameters.
        TGrpRec* empty = cfg->GrpList.AddNew();
        empty->BaseAddr = 0x4000;
        empty->IdChar = {'e', 'm'};
        empty->Name.Set(0, QStringLiteral("Empty"));
        prj.Append(cfg);
        auto bare = std::make_shared<TCfgRec>();
        bare->CfgId = 99;
        prj.Append(bare);
        prj.SetInteraction(ui);
        ASSERT_EQ(prj.AddInv(3, 21, QStringLiteral("A"), prOffline, true), 0);
        ASSERT_EQ(prj.AddInv(5, 99, QStringLiteral("B"), prOffline, true), 0);
        lists.Project = &prj;
    }

    std::shared_ptr<HookInteraction> ui = std::make_shared<HookInteraction>();
    TVortalinPrj prj;
    TAdrEditLists lists;
};

TEST(AdrEditDirect, TypedAddresses)
{
    const std::pair<const char*, int> cases[] = {
        {"1A2Bh", 0x1A2B}, {"6699d", 6699}, {"6699", 6699}, {"12,5", 12}, {"12.9h", 12},
        {"  0101H ", 0x101}, {"", 0}, {"   ", 0}, {"7fffh", 0x7FFF}, {"32767", 0x7FFF},
        {"8000h", -1}, {"32768", -1}, {"abc", -1}, {"h", -1}, {"d", -1}, {",5", -1},
        {"1ad", -1}, {"-5", -1}, {"99999999999999999999", -1}, {"fffffffffffffffffffh", -1},
        {"12 34", 12},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(TAdrEditLists::ReadDirectEntry(QString::fromLatin1(text)), want) << '"' << text << '"';
    EXPECT_EQ(TAdrEditLists::DirectText(0x1A2B), "1A2Bh");
    EXPECT_EQ(TAdrEditLists::DirectText(0x0E), "000Eh");
    EXPECT_EQ(TAdrEditLists::ReadDirectEntry(TAdrEditLists::DirectText(-1)), -1);
}

TEST_F(AdrEditTest, ListsSelectTheAddress)
{
    lists.Address = 0x0103;
    lists.FillLists(3);
    EXPECT_EQ(lists.Inverter, 3);
    ASSERT_EQ(lists.Groups.size(), 11);
    EXPECT_EQ(lists.Groups[1], "dr Drive");
    EXPECT_EQ(lists.GroupIndex, 1);
    ASSERT_EQ(lists.Params.size(), 12);
    EXPECT_EQ(lists.Params[2], "dr03 Acceleration time");
    EXPECT_EQ(lists.ParamIndex, 2);
    EXPECT_EQ(lists.Address, 0x0103);

    lists.ChooseGroup(3);
    EXPECT_EQ(lists.Params[0], "ct01 Control word");
    EXPECT_EQ(lists.ParamIndex, 0);
    EXPECT_EQ(lists.Address, 0x0301);
    lists.ChooseParam(1);
    EXPECT_EQ(lists.Address, 0x0302);
}

TEST_F(AdrEditTest, MissingGroupOrParameterSelectsTheFirst)
{
    // Group 0x07 does not exist: first group, first parameter.
    lists.Address = 0x0705;
    lists.FillLists(3);
    EXPECT_EQ(lists.GroupIndex, 0);
    EXPECT_EQ(lists.ParamIndex, 0);
    EXPECT_EQ(lists.Address, 0x0001);
    // Group exists, parameter does not.
    lists.Address = 0x01FE;
    lists.FillLists(3);
    EXPECT_EQ(lists.GroupIndex, 1);
    EXPECT_EQ(lists.ParamIndex, 0);
    EXPECT_EQ(lists.Address, 0x0101);
}

TEST_F(AdrEditTest, EmptyListsAndTheAddressTheyLeave)
{
    // Not in the project: both empty, the address as given.
    lists.Address = 0x0101;
    for (int inv : {-1, 4, 240, 1000}) {
        lists.FillLists(inv);
        EXPECT_TRUE(lists.Groups.isEmpty()) << inv;
        EXPECT_TRUE(lists.Params.isEmpty()) << inv;
        EXPECT_EQ(lists.Address, 0x0101) << inv;
        EXPECT_FALSE(lists.Cfg());
    }
    // A configuration without groups: nothing to pick.
    lists.FillLists(5);
    EXPECT_TRUE(lists.Groups.isEmpty());
    EXPECT_EQ(lists.Address, -1);
    EXPECT_EQ(lists.Inverter, 5);
    // A group without parameters.
    lists.Address = 0x4000;
    lists.FillLists(3);
    EXPECT_EQ(lists.GroupIndex, 10);
    EXPECT_TRUE(lists.Params.isEmpty());
    EXPECT_EQ(lists.ParamIndex, -1);
    EXPECT_EQ(lists.Address, -1);
    lists.ChooseGroup(1);
    EXPECT_EQ(lists.Address, 0x0101);
    lists.ChooseGroup(10);
    EXPECT_EQ(lists.Address, -1);
    lists.ChooseParam(0);
    EXPECT_EQ(lists.Address, -1);
}

TEST_F(AdrEditTest, EntryStillBeingAddedHasNoLists)
{
    bool ran = false;
    ui->onChooseCfg = [&] {
        ASSERT_TRUE(prj.GetInv(7));
        EXPECT_FALSE(prj.GetInv(7)->Cfg);
        lists.Address = 0x0101;
        lists.FillLists(7);
        ran = true;
    };
    EXPECT_EQ(prj.AddInv(7, 50, QStringLiteral("C"), prOffline, false), -2);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(lists.Groups.isEmpty());
    EXPECT_EQ(lists.Address, -1);
}

TEST_F(AdrEditTest, HeldConfigurationOutlivesTheProjectsEntry)
{
    lists.Address = 0x0302;
    lists.FillLists(3);
    const std::weak_ptr<TCfgRec> shown = lists.Cfg();
    prj.RemoveInv(3);
    prj.DeleteCfgId(21);
    ASSERT_FALSE(shown.expired());
    lists.ChooseGroup(1);
    lists.ChooseParam(3);
    EXPECT_EQ(lists.Address, 0x0104);
}

class AdrEditWindow : public AdrEditTest {
protected:
    void SetUp() override
    {
        AdrEditTest::SetUp();
        form.SetProject(&prj);
    }

public:
    template <class T>
    T* child(const char* name) { return form.findChild<T*>(QString::fromLatin1(name)); }
    TVarneGlyphButton* ok() { return child<TVarneGlyphButton>("OkButton"); }
    TVarneGlyphButton* cancel() { return child<TVarneGlyphButton>("CancelButton"); }
    void open(int inv, int16_t address, bool keepOpen = false)
    {
        form.EditAddress(inv, QStringLiteral("Row 4"), keepOpen, [this](int16_t a) { got.push_back(a); },
                         address);
    }
    void typeDirect(const QString& text)
    {
        child<QRadioButton>("RadioButton1")->click();
        child<QLineEdit>("Edit1")->setText(text);
    }
    // Runs act once the editor is shown modally; fails and cancels a
    // dialog left open.
    void whenModal(std::function<void()> act)
    {
        QTimer::singleShot(0, &form, [this, act] {
            if (!form.isVisible() || QApplication::activeModalWidget() != &form) {
                ADD_FAILURE() << "editor not modal";
                return;
            }
            act();
            QPointer<TfrmAdrEdit> guard(&form);
            QTimer::singleShot(3000, [guard] {
                if (guard && guard->isVisible()) {
                    ADD_FAILURE() << "modal editor left open";
                    guard->done(2);
                }
            });
        });
    }

    TfrmAdrEdit form;
    std::vector<int> got;
};

TEST_F(AdrEditWindow, NothingWithoutProjectAndNoNewProjectWhileVisible)
{
    TfrmAdrEdit bare;
    bare.EditAddress(3, QString(), false, [](int16_t) {}, 0x101);
    EXPECT_FALSE(bare.isVisible());
    int16_t a = 0x0101;
    EXPECT_EQ(bare.EditAddressModal(3, QString(), a), 2);
    EXPECT_EQ(a, 0x0101);

    open(3, 0x0101);
    TVortalinPrj other;
    form.SetProject(&other);
    EXPECT_EQ(form.Lists().Project, &prj);
    form.SetProject(nullptr);
    EXPECT_TRUE(form.EditorEnabled());
    form.hide();
    form.SetProject(nullptr);
    EXPECT_FALSE(form.EditorEnabled());
}

TEST_F(AdrEditWindow, ListSelectionAndOk)
{
    open(3, 0x0103);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(child<QLabel>("Label1")->text(), "Row 4");
    EXPECT_TRUE(child<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_FALSE(child<QLineEdit>("Edit1")->isEnabled());
    auto* groups = child<QComboBox>("ComboBox1");
    auto* params = child<QComboBox>("ComboBox2");
    EXPECT_EQ(groups->currentText(), "dr Drive");
    EXPECT_EQ(params->currentText(), "dr03 Acceleration time");
    groups->activated(3);
    EXPECT_EQ(params->currentText(), "ct01 Control word");
    params->setCurrentIndex(2);
    params->activated(2);
    ok()->click();
    EXPECT_EQ(got, std::vector<int>{0x0303});
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AdrEditWindow, DirectEntry)
{
    open(3, 0x0E02);
    typeDirect(QString());
    EXPECT_TRUE(child<QLineEdit>("Edit1")->isEnabled());
    EXPECT_FALSE(child<QComboBox>("ComboBox1")->isEnabled());
    child<QRadioButton>("RadioButton1")->click();
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(), "0E02h");
    // Invalid: OK does nothing, the window stays.
    for (const char* bad : {"8000h", "xyz"}) {
        typeDirect(QString::fromLatin1(bad));
        ok()->click();
        EXPECT_TRUE(got.empty()) << bad;
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Address(), -1);
    }
    typeDirect(QStringLiteral("1A2Bh"));
    ok()->click();
    EXPECT_EQ(got, std::vector<int>{0x1A2B});
}

TEST_F(AdrEditWindow, KeepOpenAndCloseSettings)
{
    open(3, 0x0101, true);
    ok()->click();
    EXPECT_TRUE(form.isVisible());
    open(3, 0x0102, false);
    form.CloseOnOK = false;
    ok()->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(got, (std::vector<int>{0x0101, 0x0102}));
    form.CloseOnCancel = false;
    cancel()->click();
    EXPECT_TRUE(form.isVisible());
    form.CloseOnCancel = true;
    cancel()->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AdrEditWindow, DetachedAndEmptyLists)
{
    open(3, 0x0101);
    form.EditAddress(-1, QString(), false, nullptr, 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(ok()->isEnabled());
    EXPECT_EQ(child<QComboBox>("ComboBox1")->count(), 0);
    EXPECT_EQ(child<QComboBox>("ComboBox2")->count(), 0);
    // A group without parameters: OK does nothing.
    open(3, 0x4000);
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), "em Empty");
    ok()->click();
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AdrEditWindow, LanguageRefillsAVisibleEditor)
{
    prj.GetInv(3)->Cfg->GrpList.GetItem(1)->Name.Set(1, QStringLiteral("Antrieb"));
    open(3, 0x0101);
    form.SetLanguage(1);
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), "dr Antrieb");
    form.hide();
    form.SetLanguage(0);
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), "dr Antrieb");
    open(3, 0x0101);
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), "dr Drive");
}

struct ModalCase {
    const char* name;
    std::function<void(AdrEditWindow&)> act;
    int result;
    int address;
};

TEST_F(AdrEditWindow, ModalCalls)
{
    const ModalCase cases[] = {
        {"list OK", [](AdrEditWindow& t) { t.ok()->click(); }, 1, 0x0302},
        {"group chosen", [](AdrEditWindow& t) { t.child<QComboBox>("ComboBox1")->activated(1); t.ok()->click(); }, 1, 0x0101},
        {"typed", [](AdrEditWindow& t) { t.typeDirect(QStringLiteral("6699d")); t.ok()->click(); }, 1, 6699},
        {"typed invalid", [](AdrEditWindow& t) { t.typeDirect(QStringLiteral("8000h")); t.ok()->click(); }, 1, -1},
        {"cancel", [](AdrEditWindow& t) { t.cancel()->click(); }, 2, 0x0302},
        {"escape", [](AdrEditWindow& t) { t.form.reject(); }, 2, 0x0302},
        {"closed", [](AdrEditWindow& t) { t.form.close(); }, 2, 0x0302},
    };
    form.CloseOnCancel = false;  // the modal form ends on Cancel all the same
    for (const ModalCase& c : cases) {
        open(3, 0x0101);  // a visible modeless edit is closed first
        bool okEnabled = false;
        whenModal([&] {
            okEnabled = ok()->isEnabled();
            c.act(*this);
        });
        int16_t address = 0x0302;
        EXPECT_EQ(form.EditAddressModal(3, QStringLiteral("Channel A"), address), c.result) << c.name;
        EXPECT_EQ(address, c.address) << c.name;
        EXPECT_TRUE(okEnabled) << c.name;
        EXPECT_FALSE(form.isVisible()) << c.name;
        EXPECT_TRUE(got.empty()) << c.name;
    }
}

TEST_F(AdrEditWindow, Screenshot)
{
    form.SetCaptionText(QStringLiteral("Address Editor"));
    form.SetDirectText(QStringLiteral("Direct entry"));
    form.SetListText(QStringLiteral("From list"));
    open(3, 0x0103);
    EXPECT_EQ(child<QComboBox>("ComboBox1")->width(), form.width() / 2 - 8);
    EXPECT_EQ(child<QComboBox>("ComboBox2")->x(), form.width() / 2 + 4);
    qeltest::saveScreenshot(form, QStringLiteral("adr_edit.png"));
}

}  // namespace
