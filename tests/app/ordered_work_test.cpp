#include "app/logic/ordered_work.h"
#include "app/logic/piece_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>

namespace zorvan {
namespace {

TEST(OrderedWork, HandsResultsOverInOrderWhateverTheWorkersFinishFirst)
{
    for (unsigned workers : {1u, 2u, 4u}) {
        OrderedWork<std::size_t> work(200, workers, 5, [](std::size_t index) {
            // Chunks take uneven times, so later ones often finish first.
            std::this_thread::sleep_for(std::chrono::microseconds((index * 7919) % 300));
            return index * 3;
        });
        for (std::size_t i = 0; i < 200; ++i) {
            auto result = work.next();
            ASSERT_TRUE(result.has_value());
            EXPECT_EQ(*result, i * 3) << workers << " workers";
        }
        EXPECT_FALSE(work.next().has_value());
    }
}

TEST(OrderedWork, OneWorkerMakesTheChunksInOrderSoStateMayCarry)
{
    std::size_t expected = 0;
    bool inOrder = true;
    OrderedWork<int> work(100, 1, 3, [&](std::size_t index) {
        inOrder = inOrder && index == expected++;
        return 0;
    });
    while (work.next()) {
    }
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, 100u);
}

TEST(OrderedWork, StaysAtMostTheGivenNumberOfChunksAhead)
{
    std::atomic<std::size_t> made{0};
    OrderedWork<int> work(50, 2, 4, [&](std::size_t) {
        ++made;
        return 0;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LE(made.load(), 4u);
    work.next();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LE(made.load(), 5u);
}

TEST(OrderedWork, AFailedChunkThrowsWhenItsTurnComes)
{
    OrderedWork<int> work(10, 2, 4, [](std::size_t index) {
        if (index == 6)
            throw std::runtime_error("chunk 6");
        return static_cast<int>(index);
    });
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(*work.next(), i);
    EXPECT_THROW(work.next(), std::runtime_error);
}

TEST(OrderedWork, EndsCleanlyWhenLeftEarlyOrGivenNothing)
{
    {
        OrderedWork<int> work(1000, 2, 2, [](std::size_t) { return 1; });
        work.next();
    }  // the workers wait for room and must still stop
    OrderedWork<int> none(0, 2, 2, [](std::size_t) { return 1; });
    EXPECT_FALSE(none.next().has_value());
}

TEST(PieceQueue, TakesPiecesInOrderPassesOnAFailureAndCanBeLeftEarly)
{
    std::vector<int> taken;
    int pauses = 0;
    {
        PieceQueue<int> queue([&](int& piece) {
            std::this_thread::sleep_for(std::chrono::milliseconds(piece % 3));
            taken.push_back(piece);
        });
        for (int i = 0; i < 20; ++i)
            queue.push(i);
        queue.finish([&] { ++pauses; });
    }
    std::vector<int> expected(20);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(taken, expected);
    EXPECT_GT(pauses, 0);

    PieceQueue<int> failing([](int& piece) {
        if (piece == 2)
            throw std::runtime_error("bad piece");
    });
    for (int i = 0; i < 5; ++i)
        failing.push(i);
    EXPECT_THROW(failing.finish({}), std::runtime_error);

    std::atomic<int> slow{0};
    {
        PieceQueue<int> left([&](int&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++slow;
        });
        for (int i = 0; i < 1000; ++i)
            left.push(i);
    }  // left without finish: the pieces not taken yet are dropped
    EXPECT_LT(slow, 1000);
}

}  // namespace
}  // namespace zorvan
