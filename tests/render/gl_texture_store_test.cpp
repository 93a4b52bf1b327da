// GL textures made for the model's materials and background image.
#include "render/gl_texture_store.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "egl_context.h"

namespace zmf {
namespace {

class GlTextureStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(context_.Ready()) << context_.Error(); }

  test::EglContext context_{16, 16};
  render::GlTextureStore store_;
};

TEST_F(GlTextureStoreTest, CreateUploadsTexelsWithLinearFilteringAndNoMipmaps) {
  // Three texels wide, so rows are not a power of two long.
  const std::vector<std::uint8_t> texels = {
      255, 0,  0,  255, 0,  255, 0,  128, 0,  0,   255, 0,  //
      10,  20, 30, 40,  50, 60,  70, 80,  90, 100, 110, 120,
  };
  const std::uint32_t name = store_.Create(3, 2, texels.data());
  ASSERT_NE(name, 0u);
  EXPECT_TRUE(glIsTexture(name));

  GLint binding = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
  EXPECT_EQ(static_cast<std::uint32_t>(binding), name);

  auto level = [](int level, GLenum parameter) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
  };
  for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, filter, &value);
    EXPECT_EQ(value, GL_LINEAR);
  }
  EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 3);
  EXPECT_EQ(level(0, GL_TEXTURE_HEIGHT), 2);
  EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 0) << "no mipmap levels";

  std::vector<std::uint8_t> stored(texels.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, stored.data());
  EXPECT_EQ(stored, texels);
}

TEST_F(GlTextureStoreTest, DeleteFreesOnlyItsTextureAndImpossibleTexturesGiveNameZero) {
  const std::uint8_t texel[4] = {1, 2, 3, 4};
  const std::uint32_t first = store_.Create(1, 1, texel);
  const std::uint32_t second = store_.Create(1, 1, texel);
  ASSERT_NE(first, 0u);
  EXPECT_NE(first, second);
  store_.Delete(first);
  store_.Delete(0);  // ignored
  EXPECT_FALSE(glIsTexture(first));
  EXPECT_TRUE(glIsTexture(second));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  EXPECT_EQ(store_.Create(0, 1, texel), 0u);
  EXPECT_EQ(store_.Create(1, -1, texel), 0u);
  EXPECT_EQ(store_.Create(1, 1, nullptr), 0u);
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  const std::vector<std::uint8_t> row(static_cast<std::size_t>(maxSize + 1) * 4);
  EXPECT_EQ(store_.Create(maxSize + 1, 1, row.data()), 0u) << "wider than GL allows";
}

}  // namespace
}  // namespace zmf
