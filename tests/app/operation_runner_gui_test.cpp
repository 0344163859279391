// The operation queue: order, no overlap, caption and status around every operation.
#include "app/logic/user_error.h"
#include "app/ui/operation_runner.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace zorvan;

namespace {

class RunnerTest : public ::testing::Test {
protected:
    QStringList log;  // caption:<text>, refresh, error:<text>, and what the works write
    OperationRunner runner{{[this](const QString& caption) { log << "caption:" + caption; },
                            [this] { log << "refresh"; },
                            [this](const std::exception& e) { log << QString("error:") + e.what(); }}};
};

}  // namespace

TEST_F(RunnerTest, CaptionWorkRefreshAndClearedCaptionInThisOrderAlsoOnFailure)
{
    runner.queue(10, "座標移動中", [&] { log << "work"; });
    runner.queue(11, "入替え中", [&] { throw UserError("壊れた"); });
    EXPECT_EQ(log, QStringList({"caption:座標移動中", "work", "refresh", "caption:", "caption:入替え中", "refresh",
                                "caption:", "error:壊れた"}));
    EXPECT_FALSE(runner.Busy);
    EXPECT_TRUE(runner.idle());
}

TEST_F(RunnerTest, AnOperationQueuedWhileOneRunsStartsWhenItHasEnded)
{
    runner.queue(1, "a", [&] {
        EXPECT_EQ(runner.runningCode(), 1);
        runner.queue(2, "b", [&] { log << "work b"; });
        log << "end a";
    });
    EXPECT_EQ(log, QStringList({"caption:a", "end a", "refresh", "caption:", "caption:b", "work b", "refresh",
                                "caption:"}));
}

TEST_F(RunnerTest, PostedOperationsShowTheirCaptionAtOnceAndRunFromTheEventLoopInOrder)
{
    runner.define(1, "読み込み中", [&] { log << "load"; });
    runner.start(1);
    runner.post(9, "", {});  // unknown work: only the status is refreshed
    runner.queue(5, "x", [&] { log << "x"; });  // behind the posted ones
    EXPECT_EQ(log, QStringList({"caption:読み込み中"}));
    EXPECT_FALSE(runner.idle());
    QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList({"caption:読み込み中", "caption:読み込み中", "load", "refresh", "caption:", "refresh",
                                "caption:", "caption:x", "x", "refresh", "caption:"}));
    EXPECT_TRUE(runner.idle());
}
