#pragma once

// The operator-parameter window's scripted dialogs, shared by its tests.

#include "lists/op_para_interaction.h"

#include <vector>

namespace listtest {

class ScriptedOpUi : public IOpParaInteraction {
public:
    int Message(const TDwnMessage& Msg) override
    {
        messages.push_back(Msg);
        return answer;
    }
    QString ChooseSaveFile(const TSaveDlgOptions& o) override
    {
        saveOptions.push_back(o);
        return savePath;
    }
    int ChooseInverter(const QString&, int) override { return chosenInv; }
    std::vector<TDwnMessage> messages;
    std::vector<TSaveDlgOptions> saveOptions;
    QString savePath;
    int answer = 0;
    int chosenInv = -1;
};

} // namespace listtest
