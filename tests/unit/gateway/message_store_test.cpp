// The gateway's store: in order, bounded, and on disk across a restart.
#include <gmock/gmock.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "message_store.h"
#include "sequence_counter.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::string> HandAll(MessageStore& store, size_t window = 100) {
    std::vector<std::string> payloads;
    while (const auto message = store.Hand(window)) payloads.push_back(message->payload);
    return payloads;
}

class SpoolFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumeric-spool-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }
    std::string folder;
};

// Handed out in order, a window at a time; one given back comes again
// before the later ones; past the bound the oldest not handed out goes.
TEST(MessageStore, InOrderAWindowAtATimeBoundedByDroppingTheOldestWaiting) {
    MessageStore store(4);
    for (const char* payload : {"a", "b", "c"}) EXPECT_FALSE(store.Add("t", payload, false));
    const auto first = store.Hand(2);
    ASSERT_TRUE(first);
    EXPECT_EQ("a", first->payload);
    EXPECT_EQ("b", store.Hand(2)->payload);
    EXPECT_FALSE(store.Hand(2));  // the window is full
    store.Returned(first->id);
    EXPECT_EQ("a", store.Hand(2)->payload);

    EXPECT_FALSE(store.Add("t", "d", false));
    EXPECT_TRUE(store.Add("t", "e", false));  // c goes: a and b are with the client
    EXPECT_EQ(1u, store.Dropped());
    EXPECT_THAT(HandAll(store), ElementsAre("d", "e"));
    EXPECT_EQ(4u, store.Pending());
    store.Delivered(first->id);
    EXPECT_EQ(3u, store.Pending());

    MessageStore one(1);  // what the client has is on its way: it is not dropped, and not counted
    one.Add("t", "x", false);
    one.Hand(1);
    EXPECT_FALSE(one.Add("t", "y", false));
    EXPECT_TRUE(one.Add("t", "z", false));
    EXPECT_EQ(1u, one.Dropped());
}

// A kill between any two steps: what the broker had not acknowledged comes
// back in order, acknowledged ones do not, and the numbers go on.
TEST_F(SpoolFolder, WhatWasNotDeliveredComesBackAfterARestart) {
    {
        MessageStore store(100);
        ASSERT_FALSE(store.OpenJournal(folder));
        for (const char* payload : {"a", "b\nwith a newline", "c"}) store.Add("t", payload, true);
        const auto a = store.Hand(10);
        store.Hand(10);  // b is with the client when the kill comes
        store.Delivered(a->id);
    }
    std::ofstream(folder + "/messages.journal", std::ios::app) << "{\"id\":9,\"t\":\"t\",\"p";  // a torn last line
    MessageStore store(100);
    ASSERT_FALSE(store.OpenJournal(folder));
    EXPECT_THAT(HandAll(store), ElementsAre("b\nwith a newline", "c"));
    store.Add("t", "d", false);
    const auto d = store.Hand(10);
    EXPECT_EQ(4u, d->id);
    EXPECT_TRUE(d->retained == false);

    MessageStore bounded(1);  // a smaller bound at restart keeps the newest
    ASSERT_FALSE(bounded.OpenJournal(folder));
    EXPECT_THAT(HandAll(bounded), ElementsAre("d"));
    EXPECT_EQ(2u, bounded.Dropped());
}

TEST_F(SpoolFolder, SequenceGoesOnAcrossRestartsAndStartsAtOneWithoutAFolder) {
    bool kept = false;
    SequenceCounter memoryOnly;
    EXPECT_EQ(1u, memoryOnly.Next(kept));
    {
        SequenceCounter counter;
        ASSERT_FALSE(counter.Open(folder));
        EXPECT_EQ(1u, counter.Next(kept));
        EXPECT_EQ(2u, counter.Next(kept));
        EXPECT_TRUE(kept);
    }
    SequenceCounter again;
    ASSERT_FALSE(again.Open(folder));
    EXPECT_EQ(3u, again.Next(kept));
    EXPECT_TRUE(SequenceCounter().Open(folder + "/missing"));
}

}  // namespace
