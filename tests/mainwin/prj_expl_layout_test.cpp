// The explorer's layout against texts that arrive while it is open: a long
// status or field text (an error text with the simulator silent) neither
// widens the window nor takes the tree's room, and opening a project lays
// the window out as the start-up does.
#include "mainwin_fixture.h"

#include "config/lang_texts.h"
#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "mainwin/prj_expl.h"
#include "sim/sim_fault.h"
#include "wait_until.h"

#include <QLabel>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace mwtest;

namespace {

class PrjExplLayout : public MainWinTest {
protected:
    // In German: the longest texts.
    TFPrjExpl* startWith(const QString& prj)
    {
        setDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("ProgLng"), 1);
        start(prj);
        TFPrjExpl* w = windows->PrjExpl().Window();
        QCoreApplication::processEvents();
        return w;
    }
    // The simulator answers nothing from now on.
    void silence()
    {
        qelsim::SimFault f;
        QString error;
        ASSERT_TRUE(qelsim::SimFault::parse(QStringLiteral("silence*always"), f, &error)) << error.toStdString();
        din.faults().push(f);
    }
    static bool isErrorText(const QString& text)
    {
        for (int code = -40; code <= 40; ++code)
            if (code && text.endsWith(LangTexts->GetErrorText(code)))
                return true;
        return false;
    }
};

TEST_F(PrjExplLayout, ALongStatusTextIsCutInItsPanelAndTheWindowKeepsItsWidth)
{
    TFPrjExpl* w = startWith(demoProject());
    ASSERT_TRUE(w->isVisible());
    const QSize size = w->size();
    const QList<int> panes = w->Splitter1->sizes();
    QLabel* password = w->Panels[4];
    silence();
    ASSERT_TRUE(qeltest::waitUntil([&] { return isErrorText(password->text()); }, 30000)) << password->text().toStdString();
    QCoreApplication::processEvents();
    EXPECT_TRUE(password->text().startsWith(LangTexts->GetText(3, 62))) << password->text().toStdString();
    // Wider than its panel, which cuts it.
    EXPECT_GT(password->fontMetrics().horizontalAdvance(password->text()), password->width());
    EXPECT_EQ(w->size(), size);
    EXPECT_EQ(w->Splitter1->sizes(), panes);
}

TEST_F(PrjExplLayout, OpeningAProjectLaysTheWindowOutAsTheStartUpDoes)
{
    const QString prj = demoProject();
    TFPrjExpl* w = startWith(prj);
    ASSERT_TRUE(w->isVisible());
    const QRect geometry = w->geometry();
    const QList<int> panes = w->Splitter1->sizes();
    EXPECT_EQ(DescribeCutTexts(FindCutTexts(w)).toStdString(), "");

    // The inverter page polls the configuration number; silent, its field
    // shows a long error text.
    QTreeWidgetItem* inverter = w->TV->topLevelItem(0)->child(0);
    w->TV->setCurrentItem(inverter);
    auto* cfgId = w->findChild<QLabel*>(QLatin1String(TPrjExplCore::CfgIdLabel));
    ASSERT_TRUE(cfgId);
    silence();
    ASSERT_TRUE(qeltest::waitUntil([&] { return isErrorText(cfgId->text()); }, 30000)) << cfgId->text().toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->Splitter1->sizes(), panes) << "the tree gave its room to the page";
    EXPECT_EQ(w->size(), geometry.size());

    din.faults().clear();
    ui->openAnswers = {prj};
    main->OpenBtn->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry(), geometry);
    EXPECT_EQ(w->Splitter1->sizes(), panes);
    EXPECT_EQ(DescribeCutTexts(FindCutTexts(w)).toStdString(), "");
}

} // namespace
