// The gateway's store: in order, bounded in memory and on disk, and what it
// promises across a kill, a power loss and a failing disk.
#include <gmock/gmock.h>

#include "fake_spool_disk.h"
#include "message_store.h"
#include "sequence_counter.h"
#include "spool_committer.h"

namespace {

using ::testing::ElementsAre;
using Payloads = std::vector<std::string>;
const std::string kFolder = "/spool";

// Every payload not yet handed out, a retained one marked with a "!".
Payloads HandAll(MessageStore& store) {
    Payloads payloads;
    while (const auto message = store.Hand(1000000))
        payloads.push_back(message->payload + (message->retained ? "!" : ""));
    return payloads;
}

void Commit(MessageStore& store, SpoolDisk& disk) {
    const auto commit = store.PrepareCommit(true, 1000000);
    store.AfterCommit(commit, MessageJournal::RunCommit(disk, commit));
}

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

// A kill, then a power loss, between any two steps: what the broker had not
// acknowledged at the last commit comes back in order, acknowledged ones do
// not; the ids go on, and the dropped count is the folder's, not the run's.
TEST(MessageStore, WhatWasNotDeliveredComesBackAfterAKillOrAPowerLoss) {
    FakeSpoolDisk disk;
    {
        MessageStore store(3);
        ASSERT_FALSE(store.OpenJournal(kFolder, disk));
        for (const char* payload : {"a", "b\nwith a newline", "c", "d"}) store.Add("t", payload, payload[0] == 'c');
        store.Delivered(store.Hand(10).value().id);  // b; a was dropped
        store.Hand(10);                              // c is with the client when the kill comes
        Commit(store, disk);
        store.Add("t", "e", false);  // on the disk, not yet synced
    }
    MessageStore killed(10);
    ASSERT_FALSE(killed.OpenJournal(kFolder, disk));
    EXPECT_EQ(1u, killed.Dropped());
    EXPECT_THAT(HandAll(killed), ElementsAre("c!", "d", "e"));

    disk.PowerLoss();           // e was never synced
    MessageStore restarted(1);  // a smaller bound at restart keeps the newest
    ASSERT_FALSE(restarted.OpenJournal(kFolder, disk));
    EXPECT_THAT(HandAll(restarted), ElementsAre("d"));
    EXPECT_EQ(2u, restarted.Dropped());

    // A spool of the earlier one-file format: what it held pending is taken in, once.
    FakeSpoolDisk earlier;
    earlier.files[kFolder + "/messages.journal"].data = R"({"id":1,"t":"t","p":"x","r":false})"
                                                        "\n"
                                                        R"({"id":2,"t":"t","p":"y","r":true})"
                                                        "\n"
                                                        R"({"done":1})"
                                                        "\n";
    MessageStore upgraded(10);
    ASSERT_FALSE(upgraded.OpenJournal(kFolder, earlier));
    EXPECT_THAT(HandAll(upgraded), ElementsAre("y!"));
    EXPECT_FALSE(earlier.Read(kFolder + "/messages.journal"));
}

// A long outage: the bound holds on the disk as in memory, commit after
// commit, and what is left is the newest in order.
TEST(MessageStore, TheDiskHoldsTheBoundAndASegmentOrTwoThroughAnOutage) {
    FakeSpoolDisk disk;
    MessageStore store(1000);
    ASSERT_FALSE(store.OpenJournal(kFolder, disk));
    size_t mostLines = 0;
    for (int i = 0; i < 6000; ++i) {
        store.Add("t", std::to_string(i), false);
        if (i % 100 == 99) {
            Commit(store, disk);
            mostLines = std::max(mostLines, disk.SegmentLines());
        }
    }
    EXPECT_LE(mostLines, 2000u);
    EXPECT_EQ(5000u, store.Dropped());
    const Payloads left = HandAll(store);
    ASSERT_EQ(1000u, left.size());
    EXPECT_EQ("5000", left.front());
    EXPECT_EQ("5999", left.back());
}

// The last record cut at every byte (a power loss in the middle of a
// write): the whole records before the cut come back, the cut one is cut
// off, and the next record follows them cleanly.
TEST(MessageStore, AJournalCutAtAnyByteOfItsLastRecordsKeepsTheWholeOnes) {
    FakeSpoolDisk written;
    {
        MessageStore store(100);
        ASSERT_FALSE(store.OpenJournal(kFolder, written));
        for (const char* payload : {"a", "b", "c", "d"}) store.Add("t", payload, false);
    }
    const std::string segment = written.List(kFolder).front();
    const std::string bytes = written.files[kFolder + "/" + segment].data;
    const size_t twoRecords = bytes.find('\n', bytes.find('\n') + 1) + 1;
    for (size_t cut = twoRecords; cut <= bytes.size(); ++cut) {
        FakeSpoolDisk disk;
        disk.files[kFolder + "/" + segment].data = bytes.substr(0, cut);
        const size_t whole = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut), '\n');
        {
            MessageStore store(100);
            ASSERT_FALSE(store.OpenJournal(kFolder, disk));
            store.Add("t", "new", false);
        }
        MessageStore store(100);
        ASSERT_FALSE(store.OpenJournal(kFolder, disk));
        Payloads wanted{"a", "b", "c", "d"};
        wanted.resize(whole);
        wanted.push_back("new");
        EXPECT_EQ(wanted, HandAll(store)) << "cut at " << cut;
    }
}

// A full disk while the broker is away: the poll's add costs no disk work
// after the first refusal, the committer tries again once a second and never
// holds the store's lock over the disk, it is said once each way, and once
// the disk takes writes again every reading is on it, in order.
TEST(SpoolCommitter, AFailingDiskIsTriedOnceASecondOutsideTheLockAndSaidOnce) {
    FakeSpoolDisk disk;
    std::mutex lock;
    MessageStore store(100000);
    ASSERT_FALSE(store.OpenJournal(kFolder, disk));
    std::vector<std::string> said;
    SpoolCommitter committer(store, lock, [&](const std::string& text) { said.push_back(text); });
    disk.storeLock = &lock;
    uint32_t nextCommitMs = 0;
    int count = 0;
    const auto run = [&](uint32_t fromMs, uint32_t toMs) {
        for (uint32_t ms = fromMs; ms < toMs; ms += 10) {  // a reading every 10 ms
            std::lock_guard<std::mutex> held(lock);
            store.Add("t", std::to_string(count++), false);
        }
        for (uint32_t ms = nextCommitMs; ms < toMs; ms = nextCommitMs) nextCommitMs = ms + committer.CommitOnce(ms);
    };
    run(0, 1000);
    disk.full = true;
    disk.calls = 0;
    for (uint32_t second = 1; second <= 10; ++second) run(second * 1000, second * 1000 + 1000);
    EXPECT_LE(disk.calls, 1 + 10 * 2);  // the first add's refusal, then a write and a state a second at most
    disk.full = false;
    run(11000, 13000);
    EXPECT_FALSE(disk.lockHeldDuringWork);
    EXPECT_THAT(
        said,
        ElementsAre("the spool cannot be written: readings wait in memory until it can (tried again every second)",
                    "the spool can be written again"));
    disk.PowerLoss();
    MessageStore restarted(100000);
    ASSERT_FALSE(restarted.OpenJournal(kFolder, disk));
    const Payloads all = HandAll(restarted);
    ASSERT_EQ(static_cast<size_t>(count), all.size());
    EXPECT_EQ(std::to_string(count - 1), all.back());
}

// Numbers are never given twice, a crash or a power loss at any point
// included; the mark moves a block at a time, and a disk that refuses it is
// told to the caller.
TEST(SequenceCounter, NeverGivesANumberTwiceAcrossCrashesAndTellsAMarkNotKept) {
    FakeSpoolDisk disk;
    uint64_t highest = 0;
    bool kept = false;
    for (const int taken : {1, 999, 1000, 1001, 2500}) {
        SequenceCounter sequence;
        ASSERT_FALSE(sequence.Open(disk, kFolder));
        const uint64_t first = sequence.Next(kept);
        EXPECT_GT(first, highest);
        for (int i = 1; i < taken; ++i) highest = sequence.Next(kept);
        highest = std::max(highest, first);
        EXPECT_TRUE(kept);
        disk.PowerLoss();
    }
    SequenceCounter sequence;
    ASSERT_FALSE(sequence.Open(disk, kFolder));
    disk.full = true;
    for (uint64_t i = 0; i <= SequenceCounter::kBlock; ++i) sequence.Next(kept);
    EXPECT_FALSE(kept);
    EXPECT_TRUE(SequenceCounter().Open(disk, kFolder));  // a folder it cannot write is refused at the start
    EXPECT_EQ(1u, SequenceCounter().Next(kept));         // without a folder the numbers start at 1
}

}  // namespace
