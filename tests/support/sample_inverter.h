#pragma once

// Simulated inverters of the sample types in data/configs. Header only: the
// test executables that use it link the simulator themselves.

#include "temp_dir.h"

#include "sim/sim_inverter.h"
#include "sim/sim_model.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QString>

#include <memory>

namespace qeltest {

// The source of sample type `type`: data/configs/typeNNNN.json.
inline QString sampleSource(int type)
{
    return QDir(sourceDir()).filePath(QStringLiteral("data/configs/type%1.json").arg(type, 4, 10, QLatin1Char('0')));
}

// An inverter of sample type `type` at `addr`; a source that does not load
// fails the test.
inline std::shared_ptr<qelsim::SimInverter> sampleInverter(int addr, int type)
{
    qelsim::SimModel model;
    QString error;
    EXPECT_TRUE(qelsim::SimModel::fromJsonFile(sampleSource(type), model, &error)) << error.toStdString();
    return std::make_shared<qelsim::SimInverter>(addr, model);
}

}  // namespace qeltest
