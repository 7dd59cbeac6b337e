#pragma once

#include "velm/model/environment.hpp"
#include "velm/model/json_text_writer.hpp"

namespace velm {

/// One more member of the root zone's object, written with `next_key`. Its key
/// must sort between "is_time_frozen" and "sub_environments", as the frame
/// report's "meta" does.
class RootMemberWriter {
public:
    virtual void write_member(JsonTextWriter& out) const = 0;

protected:
    ~RootMemberWriter() = default;
};

/// Writes the text of `root.to_json()` straight to `out`, with `root_member`
/// (when given) in the root's object. The tree is walked with a stack of its
/// own, so nesting costs no native stack. Throws NestingLimitExceeded or
/// PlaceLimitExceeded, before writing anything, for a tree that is too deep
/// or too large to walk.
void write_zone_state(JsonTextWriter& out, const Environment& root,
                      const RootMemberWriter* root_member = nullptr);

}  // namespace velm
