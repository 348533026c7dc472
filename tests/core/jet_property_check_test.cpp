// The check of a stored property list before the reader library parses it: sound lists pass,
// every kind of damage that would make the library read outside the list or loop is caught.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/db/drivers/jet/jet_property_check.h"

namespace tessel::test {
namespace {

using db::jet::PropertyListIsSound;

std::string Little(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Block(std::uint16_t type, const std::string& body) {
    return Little(static_cast<std::uint32_t>(6 + body.size()), 4) + Little(type, 2) + body;
}

std::string Names() {
    return Block(0x80,
                 Little(4, 2) + std::string("R\0q\0", 4) + Little(2, 2) + std::string("E\0", 2));
}

// A record: its length, a flag, a type, the number of its name, the value's length, the value.
std::string Record(std::uint16_t name, const std::string& value, int extraLength = 0) {
    return Little(static_cast<std::uint32_t>(8 + value.size() + extraLength), 2) +
           std::string("\0\1", 2) + Little(name, 2) +
           Little(static_cast<std::uint32_t>(value.size()), 2) + value;
}

std::string Column(const std::string& records) {
    const std::string name = std::string("I\0D\0", 4);
    return Block(0x01, Little(static_cast<std::uint32_t>(6 + name.size()), 4) +
                           Little(static_cast<std::uint32_t>(name.size()), 2) + name + records);
}

TEST(JetPropertyCheck, SoundListsPass) {
    EXPECT_TRUE(PropertyListIsSound(""));
    EXPECT_TRUE(PropertyListIsSound(std::string("MR2\0", 4) + Names() +
                                    Column(Record(0, "\1") + Record(1, "a value"))));
    EXPECT_TRUE(PropertyListIsSound(std::string("KKD\0", 4) + Names() + Column("")));
}

TEST(JetPropertyCheck, DamageIsCaught) {
    const std::string magic("MR2\0", 4);
    // A record of length 0 would never move the library on.
    std::string zero = Record(0, "\1");
    zero[0] = zero[1] = 0;
    EXPECT_FALSE(PropertyListIsSound(magic + Names() + Column(zero)));
    // A record that claims more than its block holds, or a value longer than its record.
    EXPECT_FALSE(PropertyListIsSound(magic + Names() + Column(Record(0, "\1", 40))));
    std::string longValue = Record(0, "abc");
    longValue[6] = 9;
    EXPECT_FALSE(PropertyListIsSound(magic + Names() + Column(longValue)));
    // A property name that the names block does not have.
    EXPECT_FALSE(PropertyListIsSound(magic + Names() + Column(Record(7, "\1"))));
    // A block shorter than its own header, longer than the list, or a list cut short.
    EXPECT_FALSE(PropertyListIsSound(magic + Little(3, 4) + Little(0x80, 2)));
    EXPECT_FALSE(PropertyListIsSound(magic + Little(0xFFFFFFF0u, 4) + Little(0x80, 2)));
    const std::string whole = magic + Names() + Column(Record(0, "\1"));
    for (std::size_t cut = 5; cut < whole.size(); ++cut) {
        if (cut != magic.size() + Names().size())  // the names alone are a whole list
            EXPECT_FALSE(PropertyListIsSound(whole.substr(0, cut))) << cut;
    }
    // Not a property list at all.
    EXPECT_FALSE(PropertyListIsSound(std::string("XYZ\0", 4) + Names()));
}

}  // namespace
}  // namespace tessel::test
