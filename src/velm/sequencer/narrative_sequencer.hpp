#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "velm/model/environment.hpp"
#include "velm/model/zone_tree.hpp"
#include "velm/sequencer/frame_plan.hpp"
#include "velm/sequencer/narrative_event.hpp"

namespace velm {

/// Running frames a level may take before it is stopped as an endless loop.
inline constexpr std::int32_t MAX_FRAMES = 1000;

/// The statuses of a report. A frame that completes the level has the status
/// FINISHED and an event of the type LEVEL_FINISHED, the same text.
inline constexpr std::string_view STATUS_RUNNING = "RUNNING";
inline constexpr std::string_view STATUS_FINISHED = "FINISHED";
inline constexpr std::string_view STATUS_ERROR = "ERROR";
inline constexpr std::string_view FRAME_LIMIT_MESSAGE =
    "Max frame limit reached. Infinite loop detected.";
inline constexpr std::string_view ALREADY_FINISHED_MESSAGE =
    "Simulation complete. No further actions.";

/// Plays a level, one step per `next_frame` call.
///
/// `current_frame` and `is_finished` are public because the host may rewrite
/// them between frames; the next frame acts on whatever they then hold.
class NarrativeSequencer {
public:
    std::int32_t current_frame = 0;
    const std::int32_t max_frames = MAX_FRAMES;
    bool is_finished = false;
    std::optional<NarrativeEvent> last_event;
    std::shared_ptr<Environment> env;

    /// `env` is the root zone of the level and must not be null.
    explicit NarrativeSequencer(std::shared_ptr<Environment> env) : env(std::move(env)) {}
    virtual ~NarrativeSequencer() = default;

    NarrativeSequencer(const NarrativeSequencer&) = delete;
    NarrativeSequencer& operator=(const NarrativeSequencer&) = delete;

    /// Advances the level by one step and returns the frame report: the root
    /// zone's state with a "meta" object describing the frame. Throws
    /// NestingLimitExceeded, with nothing changed, for a tree nested too deep.
    virtual nlohmann::json next_frame();

    /// Advances the level exactly as `next_frame()` does, but leaves the
    /// report to `report(status, message)`, called once the frame has been
    /// played, and returns what it returns. The frame limit is only recorded
    /// in `is_finished` after `report` has returned, so a report that fails
    /// there changes nothing.
    template <class Report>
    auto next_frame_as(Report&& report) {
        last_event.reset();
        if (current_frame >= max_frames) {
            auto result = report(STATUS_ERROR, FRAME_LIMIT_MESSAGE);
            is_finished = true;
            return result;
        }
        if (is_finished) {
            return report(STATUS_FINISHED, ALREADY_FINISHED_MESSAGE);
        }
        run_frame();
        return report(is_finished ? STATUS_FINISHED : STATUS_RUNNING,
                      std::string_view(last_event->description));
    }

private:
    void run_frame();
    bool try_agents(const std::vector<GatheredAgent>& gathered);
    bool collapse_resolved_zone(const std::vector<ZoneVisit>& places);
    void merge_into_parent(const ZoneVisit& place);
    void complete_level();
    nlohmann::json build_frame_report(std::string_view status, std::string_view message) const;
};

}  // namespace velm
