// HP-GL files written from drawings of both variants, byte for byte, and each one read by
// hp2xx, a real plotter-language reader.
#include "drawing/hpgl_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/program.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;

class HpglWriterTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    OpenHeadless();
  }

  // Writes the drawing, converts it, and has hp2xx draw the result. Returns the .PLT bytes.
  std::string Plt(const std::string& records, float scale = 1) {
    std::ofstream("D.UGF", std::ios::binary) << " X   Y   PenNo (0-continue,-1-stop)\r\n"
                                             << records;
    drawing::WritePlt("D.UGF", "D.PLT", scale);
    CheckWithHp2xx("D.PLT");
    return ReadFile("D.PLT");
  }

  // hp2xx exits 0 even on commands it does not know: its report says what it made of the file.
  void CheckWithHp2xx(const std::string& plt) {
    ASSERT_EQ(std::system("command -v hp2xx >/dev/null"), 0) << "hp2xx missing (tools/deps.sh)";
    const int status =
        std::system(("hp2xx -m png -f H.png " + plt + " </dev/null >/dev/null 2>H.err").c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "hp2xx status " << status;
    hp2xx_ = ReadFile("H.err");
    EXPECT_NE(hp2xx_.find("HPGL command(s) ignored: 0\n"), std::string::npos) << hp2xx_;
    EXPECT_NE(hp2xx_.find("Unexpected event(s):  0\n"), std::string::npos) << hp2xx_;
    struct stat st {};
    EXPECT_TRUE(stat("H.png", &st) == 0 && st.st_size > 0) << hp2xx_;
  }

  bool Hp2xxSaw(const std::string& text) const { return hp2xx_.find(text) != std::string::npos; }

  std::string hp2xx_;
};

constexpr const char* kTwoPolylines =
    "10 5 1\r\n110 55 0\r\n60 30 0\r\n"
    "10 55 2\r\n110 5 0\r\n"
    " 0 0 -1\r\n";

TEST_F(HpglWriterTest, NewVariantIsWrittenFromTheLowerLeftCornerInPlotterSteps) {
  drawing::DrawingVariant = 0;
  EXPECT_EQ(Plt(kTwoPolylines),
            "IN;IW0,0,4019,2009;IP0,0,4019,2009;SP1;\r\n"
            "SP1;\r\nPU 0,0;\r\nPD 4019,2009;\r\nPD 2009,1004;\r\n"
            "SP2;\r\nPU 0,2009;\r\nPD 4019,0;\r\n"
            "PU0,0;SP0;\r\n");
  EXPECT_TRUE(Hp2xxSaw("Coordinate range: (0, 0) ... (4019, 2009)")) << hp2xx_;
  EXPECT_TRUE(Hp2xxSaw("Pens used: 1 2 ")) << hp2xx_;

  const std::string twice = Plt(kTwoPolylines, 2);
  EXPECT_EQ(twice.substr(0, twice.find('\n') + 1), "IN;IW0,0,8038,4019;IP0,0,8038,4019;SP1;\r\n");
  EXPECT_NE(twice.find("\r\nPD 4019,2009;\r\n"), std::string::npos) << twice;  // (60, 30)
}

TEST_F(HpglWriterTest, OldVariantPenUpsAndReducedPensSelectedOnlyOnAChange) {
  drawing::DrawingVariant = 1;
  EXPECT_EQ(Plt("0 0 0\r\n10 0 12\r\n10 10 12\r\n5 5 0\r\n"
                "0 10 7\r\n1 1 13\r\n2 2 9\r\n3 3 2147483647\r\n 0 0 -1\r\n"),
            "IN;IW0,0,401,401;IP0,0,401,401;SP1;\r\n"
            "PU 0,0;\r\nSP6;\r\nPD 401,0;\r\nPD 401,401;\r\n"    // 12 is pen 6
            "PU 200,200;\r\nSP7;\r\nPD 0,401;\r\nPD 40,40;\r\n"  // 7 stays, 13 is 7 again
            "SP3;\r\nPD 80,80;\r\nSP7;\r\nPD 120,120;\r\n"       // 9 is 3; the largest pen is 7
            "PU0,0;SP0;\r\n");
  EXPECT_TRUE(Hp2xxSaw("Pens used: 1 3 6 7 ")) << hp2xx_;  // 1 from the header
}

TEST_F(HpglWriterTest, RotationTurnsExtentsAndPoints) {
  drawing::DrawingVariant = 0;
  drawing::RotateFlag = 1;
  // (10, 5) and (110, 55) become (-5, 10) and (-55, 110).
  EXPECT_EQ(Plt("10 5 1\r\n110 55 0\r\n 0 0 -1\r\n"),
            "IN;IW0,0,2009,4019;IP0,0,2009,4019;SP1;\r\n"
            "SP1;\r\nPU 2009,0;\r\nPD 0,4019;\r\n"
            "PU0,0;SP0;\r\n");
}

TEST_F(HpglWriterTest, MissingTerminatorEndsAtTheFileEndAndHugeCoordinatesSaturate) {
  drawing::DrawingVariant = 0;
  const std::string whole = Plt(kTwoPolylines);
  const std::string cut =
      Plt(std::string(kTwoPolylines).substr(0, std::string(kTwoPolylines).rfind(" 0 0 -1")));
  EXPECT_EQ(cut, whole);

  // 2e38 mm at scale 2 is about 1.6e40 steps.
  EXPECT_EQ(Plt("-1e38 0 1\r\n1e38 1e38 0\r\n 0 0 -1\r\n", 2),
            "IN;IW0,0,1073741824,1073741824;IP0,0,1073741824,1073741824;SP1;\r\n"
            "SP1;\r\nPU 0,0;\r\nPD 1073741824,1073741824;\r\n"
            "PU0,0;SP0;\r\n");
}

TEST_F(HpglWriterTest, EchoesOnTheScreenAndLeavesPen15) {
  std::ofstream("E.UGF", std::ios::binary) << "label\r\n0 0 4\r\n100 70 0\r\n 0 0 -1\r\n";
  app::OpenDrawing("E.UGF");
  std::fill(graphics::Screen.pixels.begin(), graphics::Screen.pixels.end(), 0u);
  drawing::WritePlt(drawing::SourceFile, "E.PLT", 1);
  CheckWithHp2xx("E.PLT");
  EXPECT_GT(std::count(graphics::Screen.pixels.begin(), graphics::Screen.pixels.end(),
                       graphics::Palette[4]),
            100);
  EXPECT_EQ(graphics::GetDrawColor(), 15);
}

}  // namespace
