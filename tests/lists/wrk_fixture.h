#pragma once

// Shared by the work-list and value-editor tests: a project with inverters
// of the sample types 21 (parameter sets) and 3 (without), a scripted
// interaction that records what is shown and answers from queues.

#include "lists/list_interaction.h"
#include "project/vortalin_prj.h"
#include "qt_print.h"
#include "temp_dir.h"
#include "tools/cfgtool/cfg_source.h"

#include <QFile>

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <memory>
#include <vector>

namespace listtest {

struct ShownMessage {
    QStringList Msg, Buttons;
    QString Title;
    int Icon = 0;
    QString P1;
    int Default = 0, Cancel = 0;
};

class ScriptedListUi : public IListInteraction {
public:
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString&, const QString&, int Default, int Cancel) override
    {
        messages.push_back({Msg, Buttons, Title, Icon, P1, Default, Cancel});
        if (answers.empty())
            return Cancel >= 0 ? Cancel : int(Buttons.size()) - 1;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override
    {
        saveOptions.push_back(Options);
        if (saveAnswers.empty())
            return QString();
        const QString a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    std::deque<int> answers;
    std::deque<QString> saveAnswers;
    std::vector<ShownMessage> messages;
    std::vector<TSaveDlgOptions> saveOptions;
};

// A configuration of data/configs.
inline std::shared_ptr<TCfgRec> SampleCfg(int number)
{
    QFile f(qeltest::sourceDir() + QStringLiteral("/data/configs/type%1.json").arg(number, 4, 10, QLatin1Char('0')));
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    CfgSource src;
    QStringList errors;
    if (!CfgSourceFromJsonText(f.readAll(), src, errors))
        return nullptr;
    return src.cfg;
}

// Inverter 1 of type 21, inverter 2 of type 3.
inline void FillProject(TVortalinPrj& prj)
{
    auto c21 = SampleCfg(21);
    auto c3 = SampleCfg(3);
    ASSERT_TRUE(c21 && c3);
    prj.Append(c21);
    prj.Append(c3);
    ASSERT_EQ(prj.AddInv(1, 21, QStringLiteral("A"), prOffline, true), 0);
    ASSERT_EQ(prj.AddInv(2, 3, QStringLiteral("B"), prOffline, true), 0);
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace listtest
