// Mirelle.dll as the client loads it: configured from the environment, it
// logs the calls to its folder and writes each output's latest picture.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Mirelle.h"
#include "shell_fixture.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(MirelleDll, UnconfiguredThenTwoOutputsWithPictureFiles) {
  ScratchDir scratch("mirelle");
  const std::string folder(scratch.Path().Left(scratch.Path().GetLength() - 1));
  ::SetEnvironmentVariableA("MIRELLE_FOLDER", folder.c_str());
  ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", nullptr);
  EXPECT_EQ(0, KD27_InitCards());  // no card

  ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", "2");
  ::SetEnvironmentVariableA("MIRELLE_DSPS", "4");
  ASSERT_NE(0, KD27_InitCards());
  KD27_SetVideoStandard(0);
  EXPECT_EQ(2, KD27_GetChannels());
  EXPECT_EQ(4, KD27_GetDSPs());
  KD27_OpenChannel(0);
  std::vector<unsigned char> pic(704 * 576 * 3 / 2, 128);
  for (size_t i = 0; i < 704 * 576; ++i) pic[i] = static_cast<unsigned char>(i % 251);
  EXPECT_EQ(1, KD27_InputData(0, pic.data(), 704, 576, 1));
  EXPECT_EQ(0, KD27_InputData(0, pic.data(), 720, 576, 1));
  std::string written = ReadAll(folder + "/output0.yuv");
  EXPECT_EQ(std::string(pic.begin(), pic.end()), written);

  KD27_CloseChannel(0);
  KD27_ClearVideoOutput(0);
  KD27_ReleaseCards();
  EXPECT_EQ(0, KD27_InputData(0, pic.data(), 704, 576, 1));  // after release
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((folder + "/output0.yuv").c_str()));

  EXPECT_EQ(
      "InitCards -> 0\nInitCards -> 1\nSetVideoStandard 0\nGetChannels -> 2\nGetDSPs -> 4\nOpenChannel 0\n"
      "InputData 0 new picture\nERROR InputData: size 720x576\nCloseChannel 0\nClearVideoOutput 0\nReleaseCards\n"
      "ERROR InputData: card not initialised\n",
      ReadAll(folder + "\\Mirelle.log"));
}
