#include "platform/com_port_map.h"
#include "platform/settings_store.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace {

// Sets an environment variable for the test's lifetime and restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

class ComPortMapTest : public qeltest::TempDirTest {};

TEST_F(ComPortMapTest, EnvironmentThenStoreThenDefault)
{
    ScopedEnv com2("QEL_COM2", QByteArray());
    ScopedEnv com3("QEL_COM3", QByteArray());
    ScopedEnv com4("QEL_COM4", QByteArray("/dev/pts/7"));
    SettingsStore store(path("registry.reg"));
    // Key and value names compare without case, as in the registry.
    ASSERT_EQ(store.writeString("software\\qel\\PORTS", "com3", "/dev/ttyUSB0"), SettingsStore::Status::Ok);
    ASSERT_EQ(store.writeString("Software\\QEL\\Ports", "COM4", "/dev/ttyUSB1"), SettingsStore::Status::Ok);
    ASSERT_EQ(store.writeString("Software\\QEL\\Ports", "COM2", ""), SettingsStore::Status::Ok);

    EXPECT_EQ(comPortDevicePath(1, store), "/dev/ttyS0");
    EXPECT_EQ(comPortDevicePath(2, store), "/dev/ttyS1");  // empty value: unset
    EXPECT_EQ(comPortDevicePath(3, store), "/dev/ttyUSB0");
    EXPECT_EQ(comPortDevicePath(4, store), "/dev/pts/7");
    EXPECT_EQ(comPortDevicePath(9, store), "/dev/ttyS8");
    EXPECT_EQ(comPortDevicePath(0, store), "");
    EXPECT_EQ(comPortDevicePath(10, store), "");
}

TEST_F(ComPortMapTest, ReadsThePerUserStore)
{
    ScopedEnv registry("QEL_REGISTRY", path("user.reg").toLocal8Bit());
    ScopedEnv com5("QEL_COM5", QByteArray());
    ScopedEnv com6("QEL_COM6", QByteArray());
    {
        SettingsStore store(path("user.reg"));
        ASSERT_EQ(store.writeString("Software\\QEL\\Ports", "COM5", "/dev/ttyACM0"), SettingsStore::Status::Ok);
        ASSERT_TRUE(store.save());
    }
    EXPECT_EQ(comPortDevicePath(5), "/dev/ttyACM0");
    EXPECT_EQ(comPortDevicePath(6), "/dev/ttyS5");
    {
        ScopedEnv override5("QEL_COM5", QByteArray("/dev/pts/3"));
        EXPECT_EQ(comPortDevicePath(5), "/dev/pts/3");
    }
}

TEST_F(ComPortMapTest, MissingStoreGivesDefaults)
{
    ScopedEnv registry("QEL_REGISTRY", path("absent.reg").toLocal8Bit());
    ScopedEnv com1("QEL_COM1", QByteArray());
    EXPECT_EQ(comPortDevicePath(1), "/dev/ttyS0");
}

} // namespace
