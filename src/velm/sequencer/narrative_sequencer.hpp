#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "velm/model/environment.hpp"
#include "velm/model/zone_tree.hpp"
#include "velm/sequencer/frame_plan.hpp"
#include "velm/sequencer/narrative_event.hpp"

namespace velm {

/// Running frames a level may take before it is stopped as an endless loop.
inline constexpr std::int32_t MAX_FRAMES = 1000;

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

private:
    void run_frame();
    bool try_agents(const std::vector<GatheredAgent>& gathered);
    bool collapse_resolved_zone(const std::vector<ZoneVisit>& places);
    void merge_into_parent(const ZoneVisit& place);
    nlohmann::json build_frame_report(std::string status, std::string message) const;
};

}  // namespace velm
