#pragma once

namespace nestora::ads {

// Each of these lets its view join the strip once; the process keeps one
// pair (processAdShownFlags), so later ads reuse the view in place.
struct AdShownFlags {
    bool ownAdShown = false;
    bool mobclixShown = false;
};

// The process-wide pair.
AdShownFlags& processAdShownFlags();

}  // namespace nestora::ads
