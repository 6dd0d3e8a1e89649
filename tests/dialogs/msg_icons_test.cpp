#include "dialogs/message_dlg.h"
#include "dialogs/msg_icons.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The dialog's pictures are drawn by the program itself, so they must show
// on a platform without an icon theme (like the offscreen one tests use).
TEST(MsgIcons, EachKindHasItsOwnVisiblePicture)
{
    QList<QImage> seen;
    for (int code : {int(icWarning), int(icError), int(icInformation), int(icConfirmation)}) {
        SCOPED_TRACE(code);
        const QImage img = MsgIconPicture(code).toImage();
        ASSERT_EQ(img.size(), QSize(32, 32));
        int opaque = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                opaque += qAlpha(img.pixel(x, y)) > 128;
        EXPECT_GT(opaque, 200);
        for (const QImage& other : seen)
            EXPECT_NE(img, other);
        seen << img;
    }
}

TEST(MsgIcons, NoPictureForNoneOrUnknownCodes)
{
    EXPECT_TRUE(MsgIconPicture(icNone).isNull());
    EXPECT_TRUE(MsgIconPicture(icCustom).isNull());
    EXPECT_TRUE(MsgIconPicture(17).isNull());
}

} // namespace
