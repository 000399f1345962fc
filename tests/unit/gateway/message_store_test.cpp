// The gateway's store: in order, bounded, and on disk across a restart.
#include <gmock/gmock.h>
#include <stdlib.h>

#include <fstream>

#include "message_store.h"
#include "sequence_counter.h"

namespace {

using ::testing::ElementsAre;

// Every payload not yet handed out, a retained one marked with a "!".
std::vector<std::string> HandAll(MessageStore& store) {
    std::vector<std::string> payloads;
    while (const auto message = store.Hand(100)) payloads.push_back(message->payload + (message->retained ? "!" : ""));
    return payloads;
}

class SpoolFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mkdtemp(folder)); }
    void TearDown() override { std::system((std::string("rm -rf ") + folder).c_str()); }
    char folder[32] = "/tmp/lumeric-spool-XXXXXX";
};

// Handed out in order, a window at a time; one given back comes again
// before the later ones; past the bound the oldest not handed out goes,
// counted. What the client has is on its way: never dropped.
TEST(MessageStore, InOrderAWindowAtATimeBoundedByDroppingTheOldestWaiting) {
    MessageStore store(4);
    for (const char* payload : {"a", "b", "c"}) EXPECT_FALSE(store.Add("t", payload, false));
    const StoredMessage first = store.Hand(2).value();
    EXPECT_EQ("b", store.Hand(2).value().payload);
    EXPECT_FALSE(store.Hand(2));  // the window is full
    store.Returned(first.id);
    EXPECT_EQ("a", store.Hand(2).value().payload);
    EXPECT_FALSE(store.Add("t", "d", false));
    EXPECT_TRUE(store.Add("t", "e", false));  // c goes: a and b are with the client
    EXPECT_THAT(HandAll(store), ElementsAre("d", "e"));
    EXPECT_FALSE(store.Add("t", "f", false));  // all four are with the client
    EXPECT_TRUE(store.Add("t", "g", false));   // f goes
    EXPECT_EQ(2u, store.Dropped());
    store.Delivered(first.id);
    EXPECT_EQ(4u, store.Pending());
}

// A kill between any two steps: what the broker had not acknowledged comes
// back in order, acknowledged ones do not, and the message ids and the
// reading numbers go on (without a folder the numbers start at 1).
TEST_F(SpoolFolder, WhatWasNotDeliveredComesBackAfterARestartAndTheNumbersGoOn) {
    bool kept = false;
    EXPECT_EQ(1u, SequenceCounter().Next(kept));
    {
        MessageStore store(100);
        SequenceCounter sequence;
        ASSERT_FALSE(store.OpenJournal(folder) || sequence.Open(folder));
        for (const char* payload : {"a", "b\nwith a newline", "c"}) store.Add("t", payload, sequence.Next(kept) == 3);
        EXPECT_TRUE(kept);
        store.Delivered(store.Hand(10).value().id);
        store.Hand(10);  // b is with the client when the kill comes
    }
    std::ofstream(std::string(folder) + "/messages.journal", std::ios::app) << "{\"id\":9,\"t\":\"t\",\"p";  // a torn last line
    MessageStore store(100);
    SequenceCounter sequence;
    ASSERT_FALSE(store.OpenJournal(folder) || sequence.Open(folder));
    EXPECT_EQ(4u, sequence.Next(kept));
    EXPECT_THAT(HandAll(store), ElementsAre("b\nwith a newline", "c!"));
    store.Add("t", "d", false);
    EXPECT_EQ(4u, store.Hand(10).value().id);

    MessageStore bounded(1);  // a smaller bound at restart keeps the newest
    ASSERT_FALSE(bounded.OpenJournal(folder));
    EXPECT_THAT(HandAll(bounded), ElementsAre("d"));
    EXPECT_EQ(2u, bounded.Dropped());
    EXPECT_TRUE(SequenceCounter().Open(std::string(folder) + "/missing"));
}

}  // namespace
