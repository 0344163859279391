#include "app/logic/ordered_work.h"

#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace
}  // namespace zorvan
