#pragma once

// One simulated inverter: its address, parameter values per set, process
// data, the description it reports, and a queue of faults for requests
// addressed to it. Every member is safe to call from a test thread while a
// server thread answers requests.

#include "sim/sim_data.h"
#include "sim/sim_fault.h"
#include "sim/sim_model.h"

#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace qelsim {

class SimInverter {
public:
    // Without a described model every parameter address answers (values
    // start at 0, kept per set); 0x160F holds the configuration number.
    explicit SimInverter(int address, int32_t cfgId = 1);
    SimInverter(int address, SimModel model);

    int address() const { return address_; }

    // The model; loading one makes the inverter strict (addresses that the
    // model does not describe answer "not available", error 2) and resets
    // every value to the model's start values.
    void setModel(SimModel model);
    SimModel model() const;
    void setStrict(bool strict);

    int32_t configNumber() const;
    void setConfigNumber(int32_t cfgId);

    // Values; set -1 reads the actual set / writes every set. Setting a
    // value ends the parameter's signal.
    int32_t value(uint16_t parAdr, int set = -1) const;
    void setValue(uint16_t parAdr, int32_t value, int set = -1);

    // Any access to `parAdr` with `service` (or with any service when
    // `service` is kAnyService) is refused with `error`; 0 removes it.
    static constexpr int kAnyService = -1000;
    void setRefusal(uint16_t parAdr, int service, int error);
    // A parameter that changes on every read: each read of its value
    // (services -1, 0, 1) first steps it by one, from the upper limit back
    // to the lower one.
    void setChangeOnRead(uint16_t parAdr, bool on);

    // Process data: the 8 bytes written with services 16, 17, 48, 49, and
    // the 8 bytes the inverter reports. With loopback (the default) it
    // reports what was written last.
    std::array<uint8_t, 8> processOut() const;
    void setProcessIn(const std::array<uint8_t, 8>& in);
    void setProcessLoopback(bool on);

    SimFaultQueue& faults() { return faults_; }

    // The parameter follows `signal` from now on (an inactive one removes
    // it, and with it the signal of the model's source).
    void setSignal(uint16_t parAdr, const SimSignal& signal);

    // Offline scope memory: after 255 in base+7 the inverter waits
    // `triggerWait` for its trigger (status 1), then stores `samples`
    // samples at the offline time base (status 2), then reports 0. The
    // samples of a channel follow its parameter's signal (or, without one,
    // count up from its value at the start). 0 in base+7 ends it early and
    // keeps what was stored; selecting a sample past the last answers
    // error 3.
    void setOfflineScope(std::chrono::milliseconds triggerWait, int samples);

    // Carries out one request and returns the reply. Thread-safe.
    SimReply handle(const SimRequest& req);

    // Requests carried out so far (faults that suppress a request, such as
    // silence or refuse, do not count here; the servers count those).
    int handledCount() const;
    std::vector<SimRequest> handledRequests() const;

private:
    struct Lookup;
    bool readValue(uint16_t addr, int set, int32_t& out, int& err) const;
    int writeValue(uint16_t addr, int set, int32_t value, bool sixteenBit);
    int resolveSet(int service, uint8_t setByte, int& set) const;
    int32_t stored(uint16_t addr, int set) const;
    void stepOnRead(uint16_t addr, int set);
    int headerValue(uint16_t addr, int32_t sel, int32_t& out) const;
    void resetValues();
    void setConfigNumberLocked(int32_t cfgId);
    SimReply handleLocked(const SimRequest& req);
    int32_t selector() const;
    int quintelAlias(uint16_t addr) const;
    int scopeBase() const;
    int roleRead(uint16_t addr, int32_t& out) const;
    void scopeControl(int32_t value);

    const SimSignal* signalOf(uint16_t addr) const;
    double nowMs() const;
    int offlineStatus() const;
    int32_t offlineSample(int k, int sample) const;

    struct OfflineScope {
        bool running = false;
        std::chrono::steady_clock::time_point start;
        int count = 0;
        double intervalMs = 1;
        double triggerMs = 0;  // nowMs() when storing began
        int channel[4] = {-1, -1, -1, -1};
        int32_t first[4] = {0, 0, 0, 0};
    };
    std::chrono::milliseconds scopeWait_{100};
    int scopeSamples_ = 100;
    std::map<uint16_t, SimSignal> signals_;

    const int address_;
    mutable std::mutex mutex_;
    SimModel model_;
    bool strict_ = false;
    std::map<std::pair<uint16_t, int>, int32_t> values_;
    std::map<std::pair<uint16_t, int>, int> refusals_;
    std::set<uint16_t> changing_;
    int32_t selector_ = 0;
    OfflineScope scope_;
    std::array<uint8_t, 8> pdOut_{};
    std::array<uint8_t, 8> pdIn_{};
    bool loopback_ = true;
    std::vector<SimRequest> handled_;
    int handledCount_ = 0;
    SimFaultQueue faults_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace qelsim
