#include "drawing/ugf_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/system.h"

namespace {

using drawing::UgfReader;
using drawing::UgfRecord;

struct Outcome {
  std::vector<UgfRecord> records;
  std::vector<long> lines;
  int code = 0;  // 0: read to the end of the data
  long line = 0;
  std::string file;
  std::string what;
};

class UgfReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform::CreateUniqueFolder(platform::TempFolder(), "ugf_reader_", dir_), 0);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& data, const std::string& name = "D.UGF") {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }

  // Reads like the replay does: until a negative pen or the end of the data.
  static Outcome ReadPath(const std::string& path, std::size_t block = UgfReader::kDefaultBlockSize) {
    Outcome o;
    try {
      UgfReader r(block);
      r.Open(path, "PLAN.UGF");
      UgfRecord rec;
      while (r.Next(rec)) {
        o.records.push_back(rec);
        o.lines.push_back(r.line());
        if (rec.pen < 0) break;
      }
    } catch (const platform::RunTimeFailure& f) {
      o.code = f.code();
      o.line = f.line();
      o.file = f.file();
      o.what = f.what();
    }
    return o;
  }
  Outcome Read(const std::string& data, std::size_t block = UgfReader::kDefaultBlockSize) {
    return ReadPath(Write(data), block);
  }

  std::string dir_;
};

::testing::AssertionResult Same(const std::vector<UgfRecord>& got,
                                const std::vector<UgfRecord>& want) {
  if (got.size() != want.size()) {
    return ::testing::AssertionFailure() << got.size() << " records, want " << want.size();
  }
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i].x != want[i].x || got[i].y != want[i].y || got[i].pen != want[i].pen) {
      return ::testing::AssertionFailure()
             << "record " << i << ": (" << got[i].x << ", " << got[i].y << ", " << got[i].pen
             << "), want (" << want[i].x << ", " << want[i].y << ", " << want[i].pen << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(UgfReaderTest, ReadsBothLineEndsTabsAndEveryNumberForm) {
  const std::string body =
      " X   Y   PenNo (0-continue,-1-stop)\n"
      "12.50 -3.00 4\n"
      " 1.00  2.00 0\n"
      "1e2\t-.5\t+3\n"
      "+3. 1.5E-3 -0\n"
      "\t 7 \t 8e+1 \t 9\n"
      " 0 0 -1\n";
  const std::vector<UgfRecord> want = {
      {12.5f, -3.0f, 4}, {1.0f, 2.0f, 0}, {100.0f, -0.5f, 3}, {3.0f, 1.5e-3f, 0},
      {7.0f, 80.0f, 9},  {0.0f, 0.0f, -1}};
  const Outcome lf = Read(body);
  EXPECT_EQ(lf.code, 0) << lf.what;
  EXPECT_TRUE(Same(lf.records, want));
  EXPECT_EQ(lf.lines, (std::vector<long>{2, 3, 4, 5, 6, 7}));

  std::string crlf;
  for (const char c : body) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const Outcome dos = Read(crlf);
  EXPECT_EQ(dos.code, 0) << dos.what;
  EXPECT_TRUE(Same(dos.records, want));
  EXPECT_EQ(dos.lines, lf.lines);
}

TEST_F(UgfReaderTest, RealsAreTheNearestFloat) {
  // Through double first this ties and rounds to 1; the nearest float is one step above.
  const Outcome o = Read("\n1.000000059604644775390625000001 0.1 1\n"
                         "16777217 3.4028235e38 1\n"
                         "1e-50 -1e-50 1\n"
                         "0." + std::string(44, '0') + "140129846 2147483647 -2147483648\n");
  ASSERT_EQ(o.code, 0) << o.what;
  ASSERT_EQ(o.records.size(), 4u);
  EXPECT_EQ(o.records[0].x, std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(o.records[0].y, 0.1f);
  EXPECT_EQ(o.records[1].x, 16777216.0f);
  EXPECT_EQ(o.records[1].y, 3.4028235e38f);
  EXPECT_EQ(o.records[2].x, 0.0f);  // too small for a float: zero, not an error
  EXPECT_TRUE(std::signbit(o.records[2].y));
  EXPECT_EQ(o.records[3].x, std::nextafter(0.0f, 1.0f));
  EXPECT_EQ(o.records[3].y, 2147483647.0f);
  EXPECT_EQ(o.records[3].pen, -2147483648);

  // The numbers a drawing is made of, against the C library.
  std::mt19937 rng(7);
  std::uniform_int_distribution<long> hundredths(-10'000'000, 10'000'000);
  std::uniform_int_distribution<int> decimals(0, 9), expo(-50, 30);
  std::string text = "label\r\n";
  std::vector<std::string> tokens;
  for (int i = 0; i < 4000; ++i) {
    char t[64];
    if (i % 2 == 0) {
      const long h = hundredths(rng);
      std::snprintf(t, sizeof t, "%s%ld.%02ld", h < 0 ? "-" : "", std::labs(h) / 100, std::labs(h) % 100);
    } else {
      std::snprintf(t, sizeof t, "%.*fe%d", decimals(rng), static_cast<double>(hundredths(rng)) / 997,
                    expo(rng));
    }
    tokens.push_back(t);
    text += std::string(t) + " " + t + " 1\r\n";
  }
  const Outcome r = Read(text);
  ASSERT_EQ(r.code, 0) << r.what;
  ASSERT_EQ(r.records.size(), tokens.size());
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const float want = std::strtof(tokens[i].c_str(), nullptr);
    if (std::isinf(want)) continue;
    ASSERT_EQ(r.records[i].x, want) << tokens[i];
  }
}

TEST_F(UgfReaderTest, TheLabelLineIsSkippedWhateverItHolds) {
  const std::vector<UgfRecord> want = {{1, 2, 3}, {0, 0, -1}};
  for (const std::string label : {"", " X   Y   PenNo (0-Pen up, -1-stop)", "4 5 6", "\x01\xFF\x00zz"}) {
    for (const std::string eol : {"\n", "\r\n"}) {
      const Outcome o = Read(label + eol + "1 2 3" + eol + " 0 0 -1" + eol);
      EXPECT_EQ(o.code, 0) << o.what;
      EXPECT_TRUE(Same(o.records, want)) << "label '" << label << "'";
    }
  }
}

TEST_F(UgfReaderTest, RestOfTheLineIsIgnoredAndARecordMaySpanLines) {
  const Outcome o = Read("label\r\n"
                         "1 2 3 4 5 6 words, and more\r\n"
                         "7\r\n"
                         "\r\n"
                         "\t8\n"
                         "9 abc\r\n"
                         "10 11 12\r\n");
  EXPECT_EQ(o.code, 0) << o.what;
  EXPECT_TRUE(Same(o.records, {{1, 2, 3}, {7, 8, 9}, {10, 11, 12}}));
  EXPECT_EQ(o.lines, (std::vector<long>{2, 3, 7}));
}

TEST_F(UgfReaderTest, TheDataEndsAtANegativePenOrTheEndOfTheFile) {
  // Nothing after the terminator is read, not even a bad number on its line.
  Outcome o = Read("l\n1 2 1\n3 4 0\n5 6 -5 x\nnot read at all\n");
  EXPECT_EQ(o.code, 0) << o.what;
  EXPECT_TRUE(Same(o.records, {{1, 2, 1}, {3, 4, 0}, {5, 6, -5}}));

  // No terminator: the end of the file ends the data, with or without a last line end.
  o = Read("l\r\n1 2 1\r\n3 4 0\r\n");
  EXPECT_EQ(o.code, 0) << o.what;
  EXPECT_TRUE(Same(o.records, {{1, 2, 1}, {3, 4, 0}}));
  o = Read("l\r\n1 2 1\r\n3 4 0");
  EXPECT_TRUE(Same(o.records, {{1, 2, 1}, {3, 4, 0}}));

  // An incomplete last record is dropped.
  for (const std::string tail : {"5", "5 6", "5 6\r\n", "5\t6 \r\n\r\n"}) {
    o = Read("l\r\n1 2 1\r\n" + tail);
    EXPECT_EQ(o.code, 0) << o.what;
    EXPECT_TRUE(Same(o.records, {{1, 2, 1}})) << "tail '" << tail << "'";
  }

  // The reader itself stops after a negative pen.
  UgfReader r;
  r.Open(Write("l\n1 2 -1\n3 4 0\n"), "D.UGF");
  UgfRecord rec;
  ASSERT_TRUE(r.Next(rec));
  EXPECT_EQ(rec.pen, -1);
  EXPECT_FALSE(r.Next(rec));
  EXPECT_FALSE(r.Next(rec));
}

TEST_F(UgfReaderTest, ANumberThatCannotBeReadIsError106AtItsLine) {
  Outcome o = Read("label\r\n1 2 3\r\n\r\n4 x 5\r\n");
  EXPECT_EQ(o.code, 106);
  EXPECT_EQ(o.line, 4);
  EXPECT_EQ(o.file, "PLAN.UGF");
  EXPECT_EQ(o.what, "bad number 'x'");
  EXPECT_EQ(o.records.size(), 1u);

  o = Read("label\n1\n\n2\n" + std::string(30, 'z') + "\n");
  EXPECT_EQ(o.code, 106);
  EXPECT_EQ(o.line, 5);
  EXPECT_EQ(o.what, "bad number 'zzzzzzzzzzzzzzzzzzzz'");

  o = Read("label\n1 2\x01\x80 3\n");
  EXPECT_EQ(o.what, "bad number '2\\x01\\x80'");

  const struct {
    std::string record;
    int code;
  } cases[] = {
      {"inf 1 1", 106},        {"1 nan 1", 106},         {"1e39 1 1", 106},
      {"1 -1e39 1", 106},      {"1e999999999999 1 1", 106}, {"1 1 2147483648", 106},
      {"1 1 -2147483649", 106}, {"1 1 99999999999999999999", 106}, {"1 1 1.0", 106},
      {"1 1 1e1", 106},        {"1 1 +", 106},           {"1e 1 1", 106},
      {"1.2.3 1 1", 106},      {"--1 1 1", 106},         {". 1 1", 106},
      {"e5 1 1", 106},         {"0x10 1 1", 106},        {"1,5 1 1", 106},
      {"1e+ 1 1", 106},        {"1 1 3a", 106},          {std::string("1\0 1 1", 6), 106},
      {"1 1 +7", 0},           {"-0. +.0 -0", 0},        {"1E-0 0e999999 0", 0},
  };
  for (const auto& c : cases) {
    o = Read("label\r\n" + c.record + "\r\n");
    EXPECT_EQ(o.code, c.code) << "'" << c.record << "': " << o.what;
    if (c.code != 0) {
      EXPECT_EQ(o.line, 2) << c.record;
    }
  }
}

TEST_F(UgfReaderTest, AFileWithoutAFirstRecordIsError100) {
  for (const std::string data : {"", "label only", "label\r\n", "label\r\n \t\r\n\r\n", "label\r\n1 2"}) {
    const Outcome o = Read(data);
    EXPECT_EQ(o.code, 100) << "'" << data << "'";
    EXPECT_EQ(o.what, "no records");
    EXPECT_EQ(o.file, "PLAN.UGF");
  }
  EXPECT_EQ(Read("").line, 1);
  EXPECT_EQ(Read("label\r\n\r\n\r\n").line, 4);
}

TEST_F(UgfReaderTest, OpenFailuresCarryTheCodeOfTheFailedOpen) {
  EXPECT_EQ(ReadPath(dir_ + "/NONE.UGF").code, 2);
  EXPECT_EQ(ReadPath(dir_ + "/NONE.UGF").file, "PLAN.UGF");
  EXPECT_EQ(ReadPath(dir_ + "/NONE.UGF").what.rfind("cannot open: ", 0), 0u);
  EXPECT_EQ(ReadPath(dir_ + "/nodir/NONE.UGF").code, 3);
  Write("l\n1 2 3\n");
  EXPECT_EQ(ReadPath(dir_ + "/D.UGF/x").code, 3);
  EXPECT_EQ(ReadPath(dir_).code, 5);

#ifndef _WIN32
  // The exact name first, else the name in another case (one file on Windows).
  Write("l\n1 2 3\n", "PLAN.UGF");
  Write("l\n4 5 6\n", "plan.UGF");
  EXPECT_TRUE(Same(ReadPath(dir_ + "/plan.UGF").records, {{4, 5, 6}}));
  EXPECT_TRUE(Same(ReadPath(dir_ + "/Plan.ugf").records, {{1, 2, 3}}));  // "PLAN" < "plan"
#endif

  UgfReader r;
  UgfRecord rec;
  try {
    r.Next(rec);
    FAIL() << "read from a reader that is not open";
  } catch (const platform::RunTimeFailure& f) {
    EXPECT_EQ(f.code(), 103);
  }
}

TEST_F(UgfReaderTest, LongLinesAreSkippedAndNumbersOfAnyLengthRead) {
  const std::string mega(1'000'000, 'w');
  Outcome o = Read(mega + "\r\n1 2 3 " + mega + "\r\n4 5 6 " + mega);
  EXPECT_EQ(o.code, 0) << o.what;
  EXPECT_TRUE(Same(o.records, {{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(o.lines, (std::vector<long>{2, 3}));

  // Numbers far longer than a block: leading zeros, long fractions, long exponents. The
  // halfway point between 1 and the next float ties to 1 unless a digit far out breaks it.
  const std::string zeros(100'000, '0');
  const std::string half = "1.000000059604644775390625";
  o = Read("l\n-" + zeros + "12.5 " + half + zeros + "1 " + zeros + "7\n" +
               half + zeros + " 0." + zeros + "1e+" + zeros + "100000 -" + zeros + "\n" +
               "1" + zeros + "e-100000 ." + zeros + "e9 1\n",
           1000);
  EXPECT_EQ(o.code, 0) << o.what;
  EXPECT_TRUE(Same(o.records, {{-12.5f, std::nextafter(1.0f, 2.0f), 7}, {1.0f, 0.1f, 0}, {1.0f, 0.0f, 1}}));
  for (const std::string& bad : std::vector<std::string>{"1" + zeros + " 1 1", "1 1 1" + zeros, "1 1" + zeros + "x 1", "1 1." + zeros + ". 1",
                                "1 -" + zeros + "e 1", "1 1 +" + zeros + ".0"}) {
    o = Read("l\n" + bad + "\n", 1000);
    EXPECT_EQ(o.code, 106) << bad.substr(0, 30);
    EXPECT_EQ(o.line, 2);
  }
  EXPECT_EQ(o.what, "bad number '+" + std::string(19, '0') + "'");
}

TEST_F(UgfReaderTest, ADosEndOfFileByteEndsTheData) {
  for (const std::size_t block : {std::size_t{2}, UgfReader::kDefaultBlockSize}) {
    Outcome o = Read("l\r\n1 2 3\r\n4 5 0\r\n\x1A", block);
    EXPECT_EQ(o.code, 0) << o.what;
    EXPECT_TRUE(Same(o.records, {{1, 2, 3}, {4, 5, 0}}));
    o = Read("l\n1 2 3\x1A" "4 5 0\n6 7 0 x\x1A\n", block);  // in a number, in a line's rest
    EXPECT_TRUE(Same(o.records, {{1, 2, 3}})) << o.what;
    o = Read("l\n1 2 3 rest\x1A\n4 5 0\n", block);
    EXPECT_TRUE(Same(o.records, {{1, 2, 3}})) << o.what;
    EXPECT_EQ(Read("label\x1A\n1 2 3\n", block).code, 100);
  }
}

TEST_F(UgfReaderTest, OnlyARegularFileIsADrawing) {
#ifdef _WIN32
  GTEST_SKIP() << "no FIFOs or /dev/zero here";
#else
  const std::string fifo = dir_ + "/PIPE.UGF";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    const Outcome o = ReadPath(path);  // at once, without a writer or an end
    EXPECT_EQ(o.code, 5) << path;
    EXPECT_EQ(o.what, "not a regular file");
  }
#endif
}

TEST_F(UgfReaderTest, NumbersAcrossBlockEndsReadTheSame) {
  // A number across the end of the first 1 MiB block.
  const std::size_t block = UgfReader::kDefaultBlockSize;
  std::string data = std::string(block - 12, 'l') + "\r\n1 2 3\r\n";
  data += "12345.678 9 4\r\n";  // the X starts 3 bytes before the end of the block
  ASSERT_LT(data.find("12345"), block);
  ASSERT_GT(data.find("12345") + 9, block);
  Outcome o = Read(data);
  EXPECT_EQ(o.code, 0) << o.what;
  EXPECT_TRUE(Same(o.records, {{1, 2, 3}, {12345.678f, 9, 4}}));

  // Every split of a file of mixed records, down to one byte per read.
  std::string text = "label\r\n";
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> v(-99999, 99999), pen(-1, 15), sep(0, 3);
  const char* seps[] = {" ", "\t", "\r\n", " \r\n \t"};
  for (int i = 0; i < 300; ++i) {
    text += std::to_string(v(rng)) + "." + std::to_string(i % 100) + seps[sep(rng)] +
            std::to_string(v(rng)) + "e-2" + seps[sep(rng)] + std::to_string(std::max(pen(rng), 0)) +
            (i % 7 == 0 ? " rest of the line\r\n" : "\r\n");
  }
  const Outcome whole = Read(text);
  ASSERT_EQ(whole.code, 0) << whole.what;
  ASSERT_EQ(whole.records.size(), 300u);
  for (const std::size_t b : {1u, 2u, 3u, 5u, 16u, 4097u}) {
    const Outcome split = Read(text, b);
    EXPECT_TRUE(Same(split.records, whole.records)) << "block " << b;
    EXPECT_EQ(split.lines, whole.lines) << "block " << b;
  }
  // And the error report does not depend on the split either.
  const Outcome bad = Read(text + "1 2 3x\r\n", 3);
  EXPECT_EQ(bad.code, 106);
  EXPECT_EQ(bad.what, "bad number '3x'");
  EXPECT_EQ(bad.line, Read(text + "1 2 3x\r\n").line);
}

}  // namespace
