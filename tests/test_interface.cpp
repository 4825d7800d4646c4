// The export frame: the two idle exports, and the rule that nothing escapes an export.
#include "BV3Dll.h"
#include "interface/export_frame.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <stdexcept>

extern "C" size_t bv3_c_boundary_export_count(void);

TEST(ExportTable, AllNineEntryPointsAreCallableFromC) { EXPECT_EQ(bv3_c_boundary_export_count(), 9u); }

TEST(IdleExports, DoNothing) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    GetIRDModel();
    UploadSystemID();
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(ExportFrame, AFailureBecomesAnErrorBoxAndTheFallback) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    const int result = bv3::interface::runExport("Test", 7, []() -> int { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(result, 7);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_EQ(boxes.shown()[0].text, "disk on fire");
}

TEST(ExportFrame, AnUnknownFailureIsNamedByItsExport) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    bv3::interface::runExport("RawToQnf", [] { throw 42; });
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "RawToQnf: unexpected failure");
}
