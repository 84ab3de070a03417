// The integration tests print through a print server of their own, started
// once for the whole test program.
#include "support/private_cupsd.h"
#include "support/test_support.h"

namespace {
[[maybe_unused]] const bool kServerRegistered = prenso::test::setRunWideService(
    {&prenso::test::PrivateCupsd::startShared, &prenso::test::PrivateCupsd::stopShared});
} // namespace
