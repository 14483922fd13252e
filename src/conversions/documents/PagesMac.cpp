#include "conversions/documents/PagesMac.h"

#include <cstddef>
#include <initializer_list>
#include <map>
#include <utility>

namespace Conversions {

namespace {

// Apple's own tables, as Perl's Encode carries them (its Mac* encodings): the characters of bytes
// 0x80 to 0xFF, their private-use rendering hints dropped. For the double-byte pages, only the
// bytes that stand alone there (the rest reads through iconv).

// Roman (10000)
const Octets mac10000{{
    u"\x00C4", u"\x00C5", u"\x00C7", u"\x00C9", u"\x00D1", u"\x00D6", u"\x00DC", u"\x00E1",
    u"\x00E0", u"\x00E2", u"\x00E4", u"\x00E3", u"\x00E5", u"\x00E7", u"\x00E9", u"\x00E8",
    u"\x00EA", u"\x00EB", u"\x00ED", u"\x00EC", u"\x00EE", u"\x00EF", u"\x00F1", u"\x00F3",
    u"\x00F2", u"\x00F4", u"\x00F6", u"\x00F5", u"\x00FA", u"\x00F9", u"\x00FB", u"\x00FC",
    u"\x2020", u"\x00B0", u"\x00A2", u"\x00A3", u"\x00A7", u"\x2022", u"\x00B6", u"\x00DF",
    u"\x00AE", u"\x00A9", u"\x2122", u"\x00B4", u"\x00A8", u"\x2260", u"\x00C6", u"\x00D8",
    u"\x221E", u"\x00B1", u"\x2264", u"\x2265", u"\x00A5", u"\x00B5", u"\x2202", u"\x2211",
    u"\x220F", u"\x03C0", u"\x222B", u"\x00AA", u"\x00BA", u"\x03A9", u"\x00E6", u"\x00F8",
    u"\x00BF", u"\x00A1", u"\x00AC", u"\x221A", u"\x0192", u"\x2248", u"\x2206", u"\x00AB",
    u"\x00BB", u"\x2026", u"\x00A0", u"\x00C0", u"\x00C3", u"\x00D5", u"\x0152", u"\x0153",
    u"\x2013", u"\x2014", u"\x201C", u"\x201D", u"\x2018", u"\x2019", u"\x00F7", u"\x25CA",
    u"\x00FF", u"\x0178", u"\x2044", u"\x20AC", u"\x2039", u"\x203A", u"\xFB01", u"\xFB02",
    u"\x2021", u"\x00B7", u"\x201A", u"\x201E", u"\x2030", u"\x00C2", u"\x00CA", u"\x00C1",
    u"\x00CB", u"\x00C8", u"\x00CD", u"\x00CE", u"\x00CF", u"\x00CC", u"\x00D3", u"\x00D4",
    u"\xF8FF", u"\x00D2", u"\x00DA", u"\x00DB", u"\x00D9", u"\x0131", u"\x02C6", u"\x02DC",
    u"\x00AF", u"\x02D8", u"\x02D9", u"\x02DA", u"\x00B8", u"\x02DD", u"\x02DB", u"\x02C7",
}};

// Roman, a few bytes changed: the other Latin pages.
Octets romainSauf(std::initializer_list<std::pair<int, const char16_t*>> ecarts)
{
    Octets o = mac10000;
    for (const auto& [octet, caractere] : ecarts)
        o[static_cast<size_t>(octet - 0x80)] = caractere;
    return o;
}

// Arabic (10004)
const Octets mac10004{{
    u"\x00C4", u"\x00A0", u"\x00C7", u"\x00C9", u"\x00D1", u"\x00D6", u"\x00DC", u"\x00E1",
    u"\x00E0", u"\x00E2", u"\x00E4", u"\x06BA", u"\x00AB", u"\x00E7", u"\x00E9", u"\x00E8",
    u"\x00EA", u"\x00EB", u"\x00ED", u"\x2026", u"\x00EE", u"\x00EF", u"\x00F1", u"\x00F3",
    u"\x00BB", u"\x00F4", u"\x00F6", u"\x00F7", u"\x00FA", u"\x00F9", u"\x00FB", u"\x00FC",
    u"\x0020", u"\x0021", u"\x0022", u"\x0023", u"\x0024", u"\x066A", u"\x0026", u"\x0027",
    u"\x0028", u"\x0029", u"\x002A", u"\x002B", u"\x060C", u"\x002D", u"\x002E", u"\x002F",
    u"\x0660", u"\x0661", u"\x0662", u"\x0663", u"\x0664", u"\x0665", u"\x0666", u"\x0667",
    u"\x0668", u"\x0669", u"\x003A", u"\x061B", u"\x003C", u"\x003D", u"\x003E", u"\x061F",
    u"\x274A", u"\x0621", u"\x0622", u"\x0623", u"\x0624", u"\x0625", u"\x0626", u"\x0627",
    u"\x0628", u"\x0629", u"\x062A", u"\x062B", u"\x062C", u"\x062D", u"\x062E", u"\x062F",
    u"\x0630", u"\x0631", u"\x0632", u"\x0633", u"\x0634", u"\x0635", u"\x0636", u"\x0637",
    u"\x0638", u"\x0639", u"\x063A", u"\x005B", u"\x005C", u"\x005D", u"\x005E", u"\x005F",
    u"\x0640", u"\x0641", u"\x0642", u"\x0643", u"\x0644", u"\x0645", u"\x0646", u"\x0647",
    u"\x0648", u"\x0649", u"\x064A", u"\x064B", u"\x064C", u"\x064D", u"\x064E", u"\x064F",
    u"\x0650", u"\x0651", u"\x0652", u"\x067E", u"\x0679", u"\x0686", u"\x06D5", u"\x06A4",
    u"\x06AF", u"\x0688", u"\x0691", u"\x007B", u"\x007C", u"\x007D", u"\x0698", u"\x06D2",
}};

// Hebrew (10005)
const Octets mac10005{{
    u"\x00C4", u"\x05F2\x05B7", u"\x00C7", u"\x00C9", u"\x00D1", u"\x00D6", u"\x00DC", u"\x00E1",
    u"\x00E0", u"\x00E2", u"\x00E4", u"\x00E3", u"\x00E5", u"\x00E7", u"\x00E9", u"\x00E8",
    u"\x00EA", u"\x00EB", u"\x00ED", u"\x00EC", u"\x00EE", u"\x00EF", u"\x00F1", u"\x00F3",
    u"\x00F2", u"\x00F4", u"\x00F6", u"\x00F5", u"\x00FA", u"\x00F9", u"\x00FB", u"\x00FC",
    u"\x0020", u"\x0021", u"\x0022", u"\x0023", u"\x0024", u"\x0025", u"\x20AA", u"\x0027",
    u"\x0029", u"\x0028", u"\x002A", u"\x002B", u"\x002C", u"\x002D", u"\x002E", u"\x002F",
    u"\x0030", u"\x0031", u"\x0032", u"\x0033", u"\x0034", u"\x0035", u"\x0036", u"\x0037",
    u"\x0038", u"\x0039", u"\x003A", u"\x003B", u"\x003C", u"\x003D", u"\x003E", u"\x003F",
    u"\xF86A\x05DC\x05B9", u"\x201E", u"\xF89B", u"\xF89C", u"\xF89D", u"\xF89E", u"\x05BC", u"\xFB4B",
    u"\xFB35", u"\x2026", u"\x00A0", u"\x05B8", u"\x05B7", u"\x05B5", u"\x05B6", u"\x05B4",
    u"\x2013", u"\x2014", u"\x201C", u"\x201D", u"\x2018", u"\x2019", u"\xFB2A", u"\xFB2B",
    u"\x05BF", u"\x05B0", u"\x05B2", u"\x05B1", u"\x05BB", u"\x05B9", u"\x05B8", u"\x05B3",
    u"\x05D0", u"\x05D1", u"\x05D2", u"\x05D3", u"\x05D4", u"\x05D5", u"\x05D6", u"\x05D7",
    u"\x05D8", u"\x05D9", u"\x05DA", u"\x05DB", u"\x05DC", u"\x05DD", u"\x05DE", u"\x05DF",
    u"\x05E0", u"\x05E1", u"\x05E2", u"\x05E3", u"\x05E4", u"\x05E5", u"\x05E6", u"\x05E7",
    u"\x05E8", u"\x05E9", u"\x05EA", u"\x007D", u"\x005D", u"\x007B", u"\x005B", u"\x007C",
}};

// Greek (10006)
const Octets mac10006{{
    u"\x00C4", u"\x00B9", u"\x00B2", u"\x00C9", u"\x00B3", u"\x00D6", u"\x00DC", u"\x0385",
    u"\x00E0", u"\x00E2", u"\x00E4", u"\x0384", u"\x00A8", u"\x00E7", u"\x00E9", u"\x00E8",
    u"\x00EA", u"\x00EB", u"\x00A3", u"\x2122", u"\x00EE", u"\x00EF", u"\x2022", u"\x00BD",
    u"\x2030", u"\x00F4", u"\x00F6", u"\x00A6", u"\x20AC", u"\x00F9", u"\x00FB", u"\x00FC",
    u"\x2020", u"\x0393", u"\x0394", u"\x0398", u"\x039B", u"\x039E", u"\x03A0", u"\x00DF",
    u"\x00AE", u"\x00A9", u"\x03A3", u"\x03AA", u"\x00A7", u"\x2260", u"\x00B0", u"\x00B7",
    u"\x0391", u"\x00B1", u"\x2264", u"\x2265", u"\x00A5", u"\x0392", u"\x0395", u"\x0396",
    u"\x0397", u"\x0399", u"\x039A", u"\x039C", u"\x03A6", u"\x03AB", u"\x03A8", u"\x03A9",
    u"\x03AC", u"\x039D", u"\x00AC", u"\x039F", u"\x03A1", u"\x2248", u"\x03A4", u"\x00AB",
    u"\x00BB", u"\x2026", u"\x00A0", u"\x03A5", u"\x03A7", u"\x0386", u"\x0388", u"\x0153",
    u"\x2013", u"\x2015", u"\x201C", u"\x201D", u"\x2018", u"\x2019", u"\x00F7", u"\x0389",
    u"\x038A", u"\x038C", u"\x038E", u"\x03AD", u"\x03AE", u"\x03AF", u"\x03CC", u"\x038F",
    u"\x03CD", u"\x03B1", u"\x03B2", u"\x03C8", u"\x03B4", u"\x03B5", u"\x03C6", u"\x03B3",
    u"\x03B7", u"\x03B9", u"\x03BE", u"\x03BA", u"\x03BB", u"\x03BC", u"\x03BD", u"\x03BF",
    u"\x03C0", u"\x03CE", u"\x03C1", u"\x03C3", u"\x03C4", u"\x03B8", u"\x03C9", u"\x03C2",
    u"\x03C7", u"\x03C5", u"\x03B6", u"\x03CA", u"\x03CB", u"\x0390", u"\x03B0", u"\x00AD",
}};

// Cyrillic (and Ukrainian) (10007)
const Octets mac10007{{
    u"\x0410", u"\x0411", u"\x0412", u"\x0413", u"\x0414", u"\x0415", u"\x0416", u"\x0417",
    u"\x0418", u"\x0419", u"\x041A", u"\x041B", u"\x041C", u"\x041D", u"\x041E", u"\x041F",
    u"\x0420", u"\x0421", u"\x0422", u"\x0423", u"\x0424", u"\x0425", u"\x0426", u"\x0427",
    u"\x0428", u"\x0429", u"\x042A", u"\x042B", u"\x042C", u"\x042D", u"\x042E", u"\x042F",
    u"\x2020", u"\x00B0", u"\x0490", u"\x00A3", u"\x00A7", u"\x2022", u"\x00B6", u"\x0406",
    u"\x00AE", u"\x00A9", u"\x2122", u"\x0402", u"\x0452", u"\x2260", u"\x0403", u"\x0453",
    u"\x221E", u"\x00B1", u"\x2264", u"\x2265", u"\x0456", u"\x00B5", u"\x0491", u"\x0408",
    u"\x0404", u"\x0454", u"\x0407", u"\x0457", u"\x0409", u"\x0459", u"\x040A", u"\x045A",
    u"\x0458", u"\x0405", u"\x00AC", u"\x221A", u"\x0192", u"\x2248", u"\x2206", u"\x00AB",
    u"\x00BB", u"\x2026", u"\x00A0", u"\x040B", u"\x045B", u"\x040C", u"\x045C", u"\x0455",
    u"\x2013", u"\x2014", u"\x201C", u"\x201D", u"\x2018", u"\x2019", u"\x00F7", u"\x201E",
    u"\x040E", u"\x045E", u"\x040F", u"\x045F", u"\x2116", u"\x0401", u"\x0451", u"\x044F",
    u"\x0430", u"\x0431", u"\x0432", u"\x0433", u"\x0434", u"\x0435", u"\x0436", u"\x0437",
    u"\x0438", u"\x0439", u"\x043A", u"\x043B", u"\x043C", u"\x043D", u"\x043E", u"\x043F",
    u"\x0440", u"\x0441", u"\x0442", u"\x0443", u"\x0444", u"\x0445", u"\x0446", u"\x0447",
    u"\x0448", u"\x0449", u"\x044A", u"\x044B", u"\x044C", u"\x044D", u"\x044E", u"\x20AC",
}};

// Thai (10021)
const Octets mac10021{{
    u"\x00AB", u"\x00BB", u"\x2026", u"\x0E48", u"\x0E49", u"\x0E4A", u"\x0E4B", u"\x0E4C",
    u"\x0E48", u"\x0E49", u"\x0E4A", u"\x0E4B", u"\x0E4C", u"\x201C", u"\x201D", u"\x0E4D",
    nullptr, u"\x2022", u"\x0E31", u"\x0E47", u"\x0E34", u"\x0E35", u"\x0E36", u"\x0E37",
    u"\x0E48", u"\x0E49", u"\x0E4A", u"\x0E4B", u"\x0E4C", u"\x2018", u"\x2019", nullptr,
    u"\x00A0", u"\x0E01", u"\x0E02", u"\x0E03", u"\x0E04", u"\x0E05", u"\x0E06", u"\x0E07",
    u"\x0E08", u"\x0E09", u"\x0E0A", u"\x0E0B", u"\x0E0C", u"\x0E0D", u"\x0E0E", u"\x0E0F",
    u"\x0E10", u"\x0E11", u"\x0E12", u"\x0E13", u"\x0E14", u"\x0E15", u"\x0E16", u"\x0E17",
    u"\x0E18", u"\x0E19", u"\x0E1A", u"\x0E1B", u"\x0E1C", u"\x0E1D", u"\x0E1E", u"\x0E1F",
    u"\x0E20", u"\x0E21", u"\x0E22", u"\x0E23", u"\x0E24", u"\x0E25", u"\x0E26", u"\x0E27",
    u"\x0E28", u"\x0E29", u"\x0E2A", u"\x0E2B", u"\x0E2C", u"\x0E2D", u"\x0E2E", u"\x0E2F",
    u"\x0E30", u"\x0E31", u"\x0E32", u"\x0E33", u"\x0E34", u"\x0E35", u"\x0E36", u"\x0E37",
    u"\x0E38", u"\x0E39", u"\x0E3A", u"\x2060", u"\x200B", u"\x2013", u"\x2014", u"\x0E3F",
    u"\x0E40", u"\x0E41", u"\x0E42", u"\x0E43", u"\x0E44", u"\x0E45", u"\x0E46", u"\x0E47",
    u"\x0E48", u"\x0E49", u"\x0E4A", u"\x0E4B", u"\x0E4C", u"\x0E4D", u"\x2122", u"\x0E4F",
    u"\x0E50", u"\x0E51", u"\x0E52", u"\x0E53", u"\x0E54", u"\x0E55", u"\x0E56", u"\x0E57",
    u"\x0E58", u"\x0E59", u"\x00AE", u"\x00A9", nullptr, nullptr, nullptr, nullptr,
}};

// Central European (10029)
const Octets mac10029{{
    u"\x00C4", u"\x0100", u"\x0101", u"\x00C9", u"\x0104", u"\x00D6", u"\x00DC", u"\x00E1",
    u"\x0105", u"\x010C", u"\x00E4", u"\x010D", u"\x0106", u"\x0107", u"\x00E9", u"\x0179",
    u"\x017A", u"\x010E", u"\x00ED", u"\x010F", u"\x0112", u"\x0113", u"\x0116", u"\x00F3",
    u"\x0117", u"\x00F4", u"\x00F6", u"\x00F5", u"\x00FA", u"\x011A", u"\x011B", u"\x00FC",
    u"\x2020", u"\x00B0", u"\x0118", u"\x00A3", u"\x00A7", u"\x2022", u"\x00B6", u"\x00DF",
    u"\x00AE", u"\x00A9", u"\x2122", u"\x0119", u"\x00A8", u"\x2260", u"\x0123", u"\x012E",
    u"\x012F", u"\x012A", u"\x2264", u"\x2265", u"\x012B", u"\x0136", u"\x2202", u"\x2211",
    u"\x0142", u"\x013B", u"\x013C", u"\x013D", u"\x013E", u"\x0139", u"\x013A", u"\x0145",
    u"\x0146", u"\x0143", u"\x00AC", u"\x221A", u"\x0144", u"\x0147", u"\x2206", u"\x00AB",
    u"\x00BB", u"\x2026", u"\x00A0", u"\x0148", u"\x0150", u"\x00D5", u"\x0151", u"\x014C",
    u"\x2013", u"\x2014", u"\x201C", u"\x201D", u"\x2018", u"\x2019", u"\x00F7", u"\x25CA",
    u"\x014D", u"\x0154", u"\x0155", u"\x0158", u"\x2039", u"\x203A", u"\x0159", u"\x0156",
    u"\x0157", u"\x0160", u"\x201A", u"\x201E", u"\x0161", u"\x015A", u"\x015B", u"\x00C1",
    u"\x0164", u"\x0165", u"\x00CD", u"\x017D", u"\x017E", u"\x016A", u"\x00D3", u"\x00D4",
    u"\x016B", u"\x016E", u"\x00DA", u"\x016F", u"\x0170", u"\x0171", u"\x0172", u"\x0173",
    u"\x00DD", u"\x00FD", u"\x0137", u"\x017B", u"\x0141", u"\x017C", u"\x0122", u"\x02C7",
}};

// Japanese (10001)
const Octets mac10001{{
    u"\x005C", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    u"\x00A0", u"\xFF61", u"\xFF62", u"\xFF63", u"\xFF64", u"\xFF65", u"\xFF66", u"\xFF67",
    u"\xFF68", u"\xFF69", u"\xFF6A", u"\xFF6B", u"\xFF6C", u"\xFF6D", u"\xFF6E", u"\xFF6F",
    u"\xFF70", u"\xFF71", u"\xFF72", u"\xFF73", u"\xFF74", u"\xFF75", u"\xFF76", u"\xFF77",
    u"\xFF78", u"\xFF79", u"\xFF7A", u"\xFF7B", u"\xFF7C", u"\xFF7D", u"\xFF7E", u"\xFF7F",
    u"\xFF80", u"\xFF81", u"\xFF82", u"\xFF83", u"\xFF84", u"\xFF85", u"\xFF86", u"\xFF87",
    u"\xFF88", u"\xFF89", u"\xFF8A", u"\xFF8B", u"\xFF8C", u"\xFF8D", u"\xFF8E", u"\xFF8F",
    u"\xFF90", u"\xFF91", u"\xFF92", u"\xFF93", u"\xFF94", u"\xFF95", u"\xFF96", u"\xFF97",
    u"\xFF98", u"\xFF99", u"\xFF9A", u"\xFF9B", u"\xFF9C", u"\xFF9D", u"\xFF9E", u"\xFF9F",
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, u"\x00A9", u"\x2122", u"\x2026",
}};

// Traditional Chinese (10002)
const Octets mac10002{{
    u"\x005C", u"\xF880", u"\xF881", nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    u"\x00A0", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, u"\x00A9", u"\x2122", u"\x2026",
}};

// Korean (10003)
const Octets mac10003{{
    u"\x00A0", u"\x20A9", u"\x2013", u"\x00A9", u"\xFF3F", nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, u"\x2026",
}};

// Simplified Chinese (10008)
const Octets mac10008{{
    u"\x00FC", u"\xF880", u"\xF881", nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    u"\x00A0", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, u"\x00A9", u"\x2122", u"\x2026",
}};

// Romanian (10010): Roman but for these
const Octets mac10010 = romainSauf({
    {0xAE, u"\x0102"}, {0xAF, u"\x0218"}, {0xBE, u"\x0103"}, {0xBF, u"\x0219"},
    {0xDE, u"\x021A"}, {0xDF, u"\x021B"},
});

// Icelandic (10079): Roman but for these
const Octets mac10079 = romainSauf({
    {0xA0, u"\x00DD"}, {0xDC, u"\x00D0"}, {0xDD, u"\x00F0"}, {0xDE, u"\x00DE"},
    {0xDF, u"\x00FE"}, {0xE0, u"\x00FD"},
});

// Turkish (10081): Roman but for these
const Octets mac10081 = romainSauf({
    {0xDA, u"\x011E"}, {0xDB, u"\x011F"}, {0xDC, u"\x0130"}, {0xDD, u"\x0131"},
    {0xDE, u"\x015E"}, {0xDF, u"\x015F"}, {0xF5, u"\xF8A0"},
});

// Croatian (10082): Roman but for these
const Octets mac10082 = romainSauf({
    {0xA9, u"\x0160"}, {0xAE, u"\x017D"}, {0xB4, u"\x2206"}, {0xB9, u"\x0161"},
    {0xBE, u"\x017E"}, {0xC6, u"\x0106"}, {0xC8, u"\x010C"}, {0xD0, u"\x0110"},
    {0xD8, u"\xF8FF"}, {0xD9, u"\x00A9"}, {0xDE, u"\x00C6"}, {0xDF, u"\x00BB"},
    {0xE0, u"\x2013"}, {0xE6, u"\x0107"}, {0xE8, u"\x010D"}, {0xF0, u"\x0111"},
    {0xF9, u"\x03C0"}, {0xFA, u"\x00CB"}, {0xFD, u"\x00CA"}, {0xFE, u"\x00E6"},
});

} // namespace

const PageMac* pageMac(int numero)
{
    static const std::map<int, PageMac> pages{
        {10000, {nullptr, mac10000}}, {10001, {"CP932", mac10001}}, {10002, {"BIG5", mac10002}},
        {10003, {"EUC-KR", mac10003}}, {10004, {nullptr, mac10004}}, {10005, {nullptr, mac10005}},
        {10006, {nullptr, mac10006}}, {10007, {nullptr, mac10007}}, {10008, {"EUC-CN", mac10008}},
        {10010, {nullptr, mac10010}}, {10017, {nullptr, mac10007}}, {10021, {nullptr, mac10021}},
        {10029, {nullptr, mac10029}}, {10079, {nullptr, mac10079}}, {10081, {nullptr, mac10081}},
        {10082, {nullptr, mac10082}}};
    const auto it = pages.find(numero);
    return it == pages.end() ? nullptr : &it->second;
}

} // namespace Conversions
