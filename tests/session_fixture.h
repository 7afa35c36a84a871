// Whole plot-time sessions through the simulated host: the record is stored by a real
// configuration session, as a host would have it, and then edited field by field.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "sim/config_session.h"
#include "sim/plot_session.h"
#include "sim/record_fields.h"

class SessionTest : public DriverTest {
protected:
    // A configuration session on a fresh driver (the dialog is not shown: the defaults are
    // stored), then the given "field=value" edits of the stored record. The driver is
    // loaded afresh afterwards, as for a plot on another day.
    void configure(std::initializer_list<const char*> edits = {}) {
        sim::ConfigSessionReplies replies = sim::run_config_session(*host);
        ASSERT_TRUE(replies.ok());
        ASSERT_TRUE(host->store.present);
        sim::ConfigStore stored = host->store;
        for (const char* edit : edits) sim::record_assign(stored.record, edit, sim::RecordEdit::raw);
        host.reset();
        host = std::make_unique<sim::Host>(sim::bind_in_process());
        host->store = stored;
    }
    // Runs the session and expects every request to succeed.
    void run(const sim::PlotSetup& setup, const std::vector<sim::PlotOp>& drawing) {
        for (const sim::PlotReply& r : sim::run_plot_session(*host, setup, drawing))
            EXPECT_NE(r.word0, -1) << "request " << r.code << " failed";
    }
    std::vector<std::pair<int32_t, int32_t>> job_handle_calls() const {
        std::vector<std::pair<int32_t, int32_t>> calls;
        for (const sim::Event* e : host->events_of(sim::Event::JOB_HANDLE)) calls.push_back({e->args[0], e->args[1]});
        return calls;
    }
};
