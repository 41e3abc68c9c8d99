#pragma once
// The version byte a panel of each variant reports in the tests: its firmware's first release.
namespace kerma::test {

// By variant, 1 to 5; 0 stands for no variant.
inline constexpr int kVersions[] = {0, 18, 25, 33, 41, 53};
inline constexpr int kV1 = kVersions[1], kV2 = kVersions[2], kV3 = kVersions[3],
                     kV4 = kVersions[4], kV5 = kVersions[5];

}  // namespace kerma::test
