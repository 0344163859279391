// The document model without a window: path through loads and saves, marks, title, modified.
#include "app/logic/document_model.h"
#include "app/logic/memory_editor.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zorvan;

TEST(DocumentModel, PathFollowsLoadsAndSaves)
{
    struct Step {
        const char* what;
        std::function<void(DocumentModel&)> act;
        const char* path;
        const char* title;
    } steps[] = {
        {"start", [](DocumentModel&) {}, "", "Zorvan"},
        {"load a", [](DocumentModel& d) { d.beginLoad("a.ncd"); }, "a.ncd", "Zorvan a.ncd"},
        {"a loaded", [](DocumentModel& d) { d.loaded(); }, "a.ncd", "Zorvan a.ncd"},
        {"load b fails", [](DocumentModel& d) { d.beginLoad("b.ncd"), d.PendingCaret = 7, d.loadFailed(); }, "a.ncd",
         "Zorvan a.ncd"},
        {"saved as c", [](DocumentModel& d) { d.savedAs("c.ncd"); }, "c.ncd", "Zorvan c.ncd"},
        {"load d fails", [](DocumentModel& d) { d.beginLoad("d.ncd"), d.loadFailed(); }, "c.ncd", "Zorvan c.ncd"},
        {"new", [](DocumentModel& d) { d.cleared(); }, "", "Zorvan"},
        {"load e fails", [](DocumentModel& d) { d.beginLoad("e.ncd"), d.loadFailed(); }, "", "Zorvan"},
    };
    DocumentModel document;
    for (const Step& step : steps) {
        step.act(document);
        EXPECT_EQ(document.DocPath, step.path) << step.what;
        EXPECT_EQ(document.title(), step.title) << step.what;
        EXPECT_EQ(document.PendingCaret, 0) << step.what;
    }
    document.beginLoad("x.ncd");
    EXPECT_EQ(document.modifiedTitle(), "Zorvan *x.ncd");
}

TEST(DocumentModel, MarksAreUnsetUntilSetAndIgnoreBadIndexes)
{
    DocumentModel document;
    for (int n = -1; n <= 12; ++n)
        EXPECT_EQ(document.mark(n), DocumentModel::kNoMark) << n;
    document.setMark(3, 10);
    document.setMark(DocumentModel::kExtremeMark, 4);
    document.setMark(12, 5);
    document.setMark(-1, 5);
    EXPECT_EQ(document.mark(3), 10);
    EXPECT_EQ(document.Marks[11], 4);
    document.clearMarks();
    EXPECT_EQ(document.mark(3), DocumentModel::kNoMark);
}

TEST(DocumentModel, ModifiedIsTheEditorsFlag)
{
    DocumentModel document;
    EXPECT_FALSE(document.modified());
    document.setModified(true);  // no editor yet: nothing to change
    EXPECT_FALSE(document.modified());
    MemoryEditor editor;
    document.attachEditor(&editor);
    editor.setText("G01");
    EXPECT_TRUE(document.modified());
    document.setModified(false);
    EXPECT_FALSE(editor.isModified());
}

TEST(DocumentModelLineEnds, TheFilesStyleStaysUntilANewTextAndAMixIsSavedAsCrLf)
{
    DocumentModel d;
    EXPECT_EQ(d.lineEnds, LineEnds::CrLf);
    d.beginLoad("a.ncd");
    d.loaded(LineEnds::Lf);
    d.savedAs("b.ncd");
    EXPECT_EQ(d.lineEnds, LineEnds::Lf);
    d.beginLoad("c.ncd");
    d.loadFailed();
    EXPECT_EQ(d.lineEnds, LineEnds::Lf) << "the text shown is still the LF one";
    d.loaded(LineEnds::Mixed);
    d.savedAs("c.ncd");
    EXPECT_EQ(d.lineEnds, LineEnds::CrLf);
    d.loaded(LineEnds::Cr);
    d.cleared();
    EXPECT_EQ(d.lineEnds, LineEnds::CrLf);
}
