#include "holiday/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <system_error>
#include <utility>

namespace holiday {
namespace {

bool IsOpenDescriptor(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(FileDescriptor, OneOwnerThroughMovesAndCloseOnTheWayOut) {
    int fd = -1;
    {
        FileDescriptor first = FileDescriptor::Open("/dev/null", O_RDONLY);
        fd = first.Get();
        EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
        FileDescriptor second(std::move(first));
        EXPECT_FALSE(first.IsOpen()); // a moved-from object holds none
        FileDescriptor third = FileDescriptor::Open("/dev/null", O_RDONLY);
        const int replaced = third.Get();
        third = std::move(second);
        EXPECT_EQ(third.Get(), fd);
        EXPECT_FALSE(IsOpenDescriptor(replaced));
        EXPECT_TRUE(IsOpenDescriptor(fd));
    }
    EXPECT_FALSE(IsOpenDescriptor(fd));

    try {
        (void)FileDescriptor::Open("/nonexistent/x", O_RDONLY);
        ADD_FAILURE() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOENT);
    }
}

} // namespace
} // namespace holiday
