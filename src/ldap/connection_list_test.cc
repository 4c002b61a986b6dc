#include "ldap/connection_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"

namespace nestwalk {
namespace {

using platform::LdapHandle;
using testing::CapturedConsole;

class ConnectionListTest : public ::testing::Test {
 protected:
  LdapHandle OpenOne() {
    return forest.Open(std::string("dc1.corp.example.com"), 389, false).handle;
  }

  fake::FakeForest forest;
  CapturedConsole console{true};
};

TEST_F(ConnectionListTest, UnbindsEachListedHandleOnceInOrder) {
  const LdapHandle first = OpenOne();
  const LdapHandle second = OpenOne();
  {
    ConnectionList list(console.console, forest);
    list.Append(first);
    list.Append(second);
    list.Append(first);         // a reused handle is listed once
    list.Append(LdapHandle());  // no connection is nothing to own
    EXPECT_EQ(list.handles(), (std::vector<LdapHandle>{first, second}));
    list.UnbindAllConnections();
    list.UnbindAllConnections();  // runs once
    EXPECT_EQ(list.handles().size(), 2u);
  }
  EXPECT_EQ(console.err.str(), "Unbinding LDAP Connection 0\nUnbinding LDAP Connection 1\n");
  EXPECT_EQ(forest.connection(first).unbindCount, 1);
  EXPECT_EQ(forest.connection(second).unbindCount, 1);
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

TEST_F(ConnectionListTest, DestructorClosesSilentlyWhatIsStillOpen) {
  const LdapHandle first = OpenOne();
  {
    ConnectionList list(console.console, forest);
    list.Append(first);
  }
  EXPECT_EQ(console.err.str(), "");
  EXPECT_EQ(forest.connection(first).unbindCount, 1);
}

TEST_F(ConnectionListTest, RemovedHandleIsLeftToWhoeverClosedIt) {
  const LdapHandle closedElsewhere = OpenOne();
  const LdapHandle kept = OpenOne();
  {
    ConnectionList list(console.console, forest);
    list.Append(closedElsewhere);
    list.Append(kept);
    forest.Unbind(closedElsewhere);
    list.Remove(closedElsewhere);
    list.UnbindAllConnections();
  }
  EXPECT_EQ(console.err.str(), "Unbinding LDAP Connection 0\n");
  EXPECT_EQ(forest.connection(kept).unbindCount, 1);
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

TEST_F(ConnectionListTest, EmptyListUnbindsNothing) {
  ConnectionList list(console.console, forest);
  list.UnbindAllConnections();
  EXPECT_EQ(console.err.str(), "");
  EXPECT_TRUE(forest.connections().empty());
}

}  // namespace
}  // namespace nestwalk
