#pragma once

// The scope recording file ".sc5" (little-endian): magic, notes offset,
// configuration number, time base, start date, five slot records, the
// samples and the notes, closed by an end marker.

#include "scope/scope_setup.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

inline constexpr uint32_t kScopeMagic = 0x390A4B05;       // one inverter
inline constexpr uint32_t kScopeMagicMulti = 0x390A4B06;  // channels on several inverters
inline constexpr uint32_t kScopeEndMarker = 0xA55AA55A;
inline constexpr int kSlotValues = 10;  // with the multi-inverter value

// Everything a file holds, as read.
struct TScopeFileImage {
    bool Multi = false;
    int32_t NotesOffset = 0;
    int32_t CfgId = 0;
    int32_t TimeBase = 0;
    double StartDate = 0;
    // Per slot the stored values in file order; in a one-inverter file the
    // second (inverter and configuration) is 0.
    int32_t Slot[kScopeSlots][kSlotValues] = {};
    std::vector<TScopeSample> Samples;  // at most kScopeRingSize
    QStringList Notes;
};

enum TScopeFileResult {
    sfOk = 0,
    sfBadMagic,     // not a recording
    sfShortHeader,  // header or a slot record cut short
    sfBadHeader,    // fewer than five slot records, or a negative sample count
    sfShortData,    // samples or notes cut short; what was read whole is kept
};

// Reads the whole file image; with sfShortData the image holds the whole
// samples (at least one) and notes read.
TScopeFileResult ParseScopeFile(QByteArrayView bytes, TScopeFileImage& out);

// The configuration numbers of a recording, for the command line before
// any scope exists: -1 the file is missing, unreadable or short; 0
// otherwise (four zeros for a file that is not a recording).
int ReadScopeFileCfgIds(const QString& FileName, int& A, int& B, int& C, int& D);
int ReadScopeFileCfgIds(QByteArrayView bytes, int& A, int& B, int& C, int& D);
