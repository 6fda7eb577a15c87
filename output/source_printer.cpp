#include "output/source_printer.h"

#include <future>
#include <mutex>
#include <optional>

#include "output/source_writers.h"

namespace zeb {
namespace {

// The teams' plans are most of a large mission's layout, and each is laid
// out apart from the others. With two threads the second takes teams from
// the back while the first writes the sections before the plans and then
// takes teams from the front: they meet wherever their work does.
class TeamsFromBothEnds {
public:
    explicit TeamsFromBothEnds(std::size_t count) : back_(count) {}

    std::optional<std::size_t> fromFront() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (front_ == back_) return std::nullopt;
        return front_++;
    }
    std::optional<std::size_t> fromBack() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (front_ == back_) return std::nullopt;
        return --back_;
    }
    // The first team the back took, once every team is taken.
    std::size_t meeting() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return back_;
    }

private:
    std::mutex mutex_;
    std::size_t front_ = 0;
    std::size_t back_;
};

}  // namespace

OutputSink& printSource(OutputSink& out, const Mission& mission, const AttachedComments& comments,
                        SourcePrinting printing) {
    const std::vector<Team*>& teams = mission.teams;
    TeamsFromBothEnds claims(teams.size());
    // The back's plans, each in a text of its own, written in team order
    // once the front is done.
    std::vector<std::string> laidOut;
    std::future<void> back;
    if (printing == SourcePrinting::TwoThreads && teams.size() > 1) {
        laidOut.resize(teams.size());
        back = std::async(std::launch::async, [&] {
            for (auto team = claims.fromBack(); team; team = claims.fromBack()) {
                OutputSink text(&laidOut[*team]);
                SourceWriter own{text, comments};
                writeSourcePlan(own, *teams[*team]);
            }
        });
    }
    SourceWriter w{out, comments};
    writeSourceHeader(w, mission);
    writeSourceRules(w, mission);
    writeSourceMap(w, mission);
    writeSourceForces(w, mission);
    writeSourceObjectives(w, mission);
    for (auto team = claims.fromFront(); team; team = claims.fromFront()) writeSourcePlan(w, *teams[*team]);
    if (back.valid()) {
        back.get();
        for (std::size_t team = claims.meeting(); team < teams.size(); ++team) {
            if (!laidOut[team].empty()) out.writeLines(laidOut[team]);
            std::string().swap(laidOut[team]);
        }
    }
    writeSourceEnd(w, mission);
    return out;
}

}  // namespace zeb
