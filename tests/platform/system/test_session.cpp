// A session keeps what the program keeps for one run: parts made on first
// use, gone when the session ends, the last made first; a session made
// inside another one stands in for it until it ends.
#include "platform/system/session.h"

#include <gtest/gtest.h>

#include <string>

using namespace prenso;

namespace {

std::string g_ended;

struct Counter {
    int value = 0;
};

struct Late {
    ~Late() { g_ended += "late "; }
};

// Asks for a part not made yet while it goes.
struct Second {
    ~Second()
    {
        g_ended += "second ";
        Session::current().part<Late>();
    }
};

struct First {
    First() { Session::current().part<Second>(); }
    ~First() { g_ended += "first "; }
};

} // namespace

TEST(Session, PartsLiveAndEndWithTheirSession)
{
    Session &outer = Session::current();
    outer.part<Counter>().value = 7;
    g_ended.clear();
    {
        Session inner;
        EXPECT_EQ(&Session::current(), &inner);
        EXPECT_EQ(inner.part<Counter>().value, 0) << "a new session starts afresh";
        inner.part<Counter>().value = 1;
        EXPECT_EQ(&inner.part<Counter>(), &Session::current().part<Counter>());
        inner.part<First>(); // makes Second while it is made
    }
    // First was made last (its constructor returned after Second's), so it
    // ends first; the part Second asked for while ending went too.
    EXPECT_EQ(g_ended, "first second late ");
    EXPECT_EQ(&Session::current(), &outer);
    EXPECT_EQ(outer.part<Counter>().value, 7);
}
