#pragma once

namespace wendanet {

// The failure of something that cannot fail: no value of it can be made.
struct Never {
  Never() = delete;
};

}  // namespace wendanet
