#include <gtest/gtest.h>

#include "core/error.h"
#include "settings/registry.h"
#include "store_fixtures.h"

namespace mnemora::test {
namespace {

template <typename Maker>
class RegistryContract : public StoreTest<Maker> {};

TYPED_TEST_SUITE(RegistryContract, Stores);

template <typename F>
std::string registryMessage(F&& f) {
    try {
        f();
    } catch (const RegistryError& e) {
        return e.what();
    }
    return "<no error>";
}

TYPED_TEST(RegistryContract, OpenKeyWithoutCreateFailsForMissingKey) {
    TRegistry reg(*this->store);
    EXPECT_FALSE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_FALSE(reg.HasOpenKey());
}

TYPED_TEST(RegistryContract, OpenKeyCreatesKeyThatLaterOpensWithoutCreate) {
    {
        TRegistry reg(*this->store);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", true));
        EXPECT_FALSE(reg.ValueExists("DataFile"));
    }
    TRegistry reg(*this->store);
    EXPECT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
}

TYPED_TEST(RegistryContract, RelativePathIsTakenFromOpenKey) {
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero", true));
    ASSERT_TRUE(reg.OpenKey("Mnemora\\1.01", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Vantero\\Mnemora\\1.01");
    reg.WriteInteger("Start", 1);
    reg.CloseKey();
    EXPECT_TRUE(stored(*this->store, "Start").has_value());
}

TYPED_TEST(RegistryContract, FailedOpenKeepsPreviousKey) {
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", true));
    EXPECT_FALSE(reg.OpenKey("\\Software\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Vantero\\Mnemora\\1.01");
    reg.WriteString("DataFile", "x");
    EXPECT_EQ(reg.ReadString("DataFile"), "x");
}

TYPED_TEST(RegistryContract, WrittenValuesReadBackWithTheirTypes) {
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", true));
    reg.WriteString("DataFile", "/home/анна/\"q\"\\Mnemora.ini");
    reg.WriteInteger("Click", -1);
    reg.WriteBool("Start", true);
    EXPECT_EQ(reg.ReadString("DataFile"), "/home/анна/\"q\"\\Mnemora.ini");
    EXPECT_EQ(reg.ReadInteger("Click"), -1);
    EXPECT_TRUE(reg.ReadBool("Start"));
    reg.CloseKey();

    EXPECT_EQ(stored(*this->store, "DataFile"), (RegValue{kRegString, text("/home/анна/\"q\"\\Mnemora.ini")}));
    EXPECT_EQ(stored(*this->store, "Click"), (RegValue{kRegDword, std::string(4, '\xFF')}));
    EXPECT_EQ(stored(*this->store, "Start"), (RegValue{kRegDword, dword(1)}));
}

TYPED_TEST(RegistryContract, ValueNamesIgnoreCase) {
    seed(*this->store, "DataFile", kRegString, text("a"));
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\software\\VANTERO\\Mnemora\\1.01", false));
    EXPECT_TRUE(reg.ValueExists("datafile"));
    EXPECT_EQ(reg.ReadString("DATAFILE"), "a");
}

TYPED_TEST(RegistryContract, ReadStringStopsAtFirstZeroAndKeepsExpandableTextUnexpanded) {
    seed(*this->store, "A", kRegString, std::string("ab\0cd\0", 6));
    seed(*this->store, "B", kRegExpandString, text("%HOME%/x"));
    seed(*this->store, "C", kRegString, "no zero");
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_EQ(reg.ReadString("A"), "ab");
    EXPECT_EQ(reg.ReadString("B"), "%HOME%/x");
    EXPECT_EQ(reg.ReadString("C"), "no zero");
}

TYPED_TEST(RegistryContract, ReadStringOfMissingOrEmptyDataIsEmptyWhateverTheType) {
    seed(*this->store, "EmptyBinary", kRegBinary, "");
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_TRUE(reg.ValueExists("EmptyBinary"));
    EXPECT_EQ(reg.ReadString("EmptyBinary"), "");
}

TYPED_TEST(RegistryContract, ReadStringOfNumberIsInvalidType) {
    seed(*this->store, "DataFile", kRegDword, dword(7));
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_EQ(registryMessage([&] { reg.ReadString("DataFile"); }), "Invalid data type for 'DataFile'");
}

TYPED_TEST(RegistryContract, ReadIntegerChecksSizeBeforeType) {
    seed(*this->store, "Short", kRegString, text("abc"));
    seed(*this->store, "Long", kRegString, text("abcd"));
    seed(*this->store, "Wide", kRegDword, std::string(8, '\1'));
    seed(*this->store, "Odd", 11, dword(1));
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_EQ(registryMessage([&] { reg.ReadInteger("Short"); }), "Invalid data type for 'Short'");
    EXPECT_EQ(registryMessage([&] { reg.ReadInteger("Long"); }), "Failed to get data for 'Long'");
    EXPECT_EQ(registryMessage([&] { reg.ReadInteger("Wide"); }), "Failed to get data for 'Wide'");
    EXPECT_EQ(registryMessage([&] { reg.ReadInteger("Odd"); }), "Invalid data type for 'Odd'");
    EXPECT_EQ(registryMessage([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(registryMessage([&] { reg.ReadBool("Missing"); }), "Failed to get data for 'Missing'");
}

TYPED_TEST(RegistryContract, ShortNumberReadsAsZeroExtended) {
    seed(*this->store, "Two", kRegDword, std::string("\x34\x12", 2));
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_EQ(reg.ReadInteger("Two"), 0x1234);
}

TYPED_TEST(RegistryContract, ReadBoolIsAnyNonZeroNumber) {
    seed(*this->store, "Two", kRegDword, dword(2));
    seed(*this->store, "Zero", kRegDword, dword(0));
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    EXPECT_TRUE(reg.ReadBool("Two"));
    EXPECT_FALSE(reg.ReadBool("Zero"));
}

TYPED_TEST(RegistryContract, WritingWithoutOpenKeyIsRefused) {
    TRegistry reg(*this->store);
    EXPECT_EQ(registryMessage([&] { reg.WriteString("DataFile", "x"); }), "Failed to set data for 'DataFile'");
}

TYPED_TEST(RegistryContract, OverwriteReplacesTypeAndData) {
    seed(*this->store, "Color", kRegString, text("red"));
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    reg.WriteInteger("Color", 0x00FF00);
    EXPECT_EQ(reg.ReadInteger("Color"), 0x00FF00);
}

TYPED_TEST(RegistryContract, UpdateWritesAllValuesOrNone) {
    seed(*this->store, "A", kRegString, text("old"));
    {
        TRegistry reg(*this->store);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
        reg.BeginUpdate();
        reg.WriteString("A", "new");
        reg.WriteInteger("B", 2);
        EXPECT_FALSE(reg.ValueExists("B"));  // held back until the update ends
        reg.EndUpdate();
        EXPECT_EQ(reg.ReadString("A"), "new");
        EXPECT_EQ(reg.ReadInteger("B"), 2);
    }
    TRegistry reg(*this->store);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", false));
    reg.BeginUpdate();
    reg.WriteString("A", "newer");
    reg.WriteString("Line\nbreak", "no store takes this name");  // every store refuses a name with a line break
    reg.WriteInteger("C", 3);
    EXPECT_EQ(registryMessage([&] { reg.EndUpdate(); }), "Failed to set data for 'Line\nbreak'");
    EXPECT_EQ(reg.ReadString("A"), "new");
    EXPECT_FALSE(reg.ValueExists("C"));
}

TYPED_TEST(RegistryContract, ClosingTheKeyDropsAnUnfinishedUpdate) {
    {
        TRegistry reg(*this->store);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vantero\\Mnemora\\1.01", true));
        reg.BeginUpdate();
        reg.WriteString("A", "never");
    }
    EXPECT_FALSE(stored(*this->store, "A").has_value());
}

}  // namespace
}  // namespace mnemora::test
