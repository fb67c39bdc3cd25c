#include "catalogue/seed_rows.h"

#include <string>
#include <string_view>

namespace kv::catalogue {
namespace {

// One row of IRAS_NAT_2007: IRAS_NAT_CODE S3, NATIONALITY S30, COUNTRY S40.
struct NationalityRow {
  std::string_view code;
  std::string_view nationality;
  std::string_view country;
};

// The IRAS nationality codes of the 2007 list, in code order. Texts are upper case and hold no apostrophe, so
// they go into the statement between quotes as they stand. Row 113 keeps the product's own spelling
// "CHANNELl", and its country fills the 40 characters of the column exactly.
constexpr NationalityRow kNationalityRows[] = {
    {"101", "BELGIAN", "BELGIUM"},
    {"102", "DANISH", "DENMARK"},
    {"103", "FRENCH", "FRANCE"},
    {"104", "GERMAN", "FEDERAL REPUBLIC OF GERMANY"},
    {"105", "GREEK", "GREECE"},
    {"106", "IRISH", "IRELAND"},
    {"107", "ITALIAN", "ITALY"},
    {"108", "LUXEMBOURGER", "LUXEMBOURG"},
    {"109", "NETHERLANDS", "NETHERLANDS"},
    {"110", "BRITISH", "UNITED KINGDOM"},
    {"111", "PORTUGUESE", "PORTUGAL"},
    {"112", "SPANISH", "SPAIN"},
    {"113", "BRITISH, CHANNELl ISLAND", "ISLAND OF GUERNSEY, CHANNEL ISLANDS, U.K"},
    {"131", "AUSTRIAN", "AUSTRIA"},
    {"132", "FINNISH", "FINLAND"},
    {"133", "ICELANDIC", "ICELAND"},
    {"134", "NORWEGIAN", "NORWAY"},
    {"135", "SVALBARD JAN MAYEN", "SVALBARD JAN MAYEN"},
    {"136", "SWEDISH", "SWEDEN"},
    {"137", "SWISS", "SWITZERLAND"},
    {"138", "LIECHTENSTEINER", "LIECHTENSTEIN"},
    {"139", "BOUVET ISLAND", "BOUVET ISLAND"},
    {"141", "FAEROE ISLANDS", "FAEROE ISLANDS"},
    {"142", "GREENLAND", "GREENLAND"},
    {"143", "MONACO", "MONACO"},
    {"144", "SAN MARINO", "SAN MARINO"},
    {"145", "VATICAN CITY STATE", "VATICAN CITY STATE"},
    {"152", "TURKISH", "TURKEY"},
    {"153", "ANDORRAN", "ANDORRA"},
    {"154", "GIBRALTARIAN", "GIBRALTAR"},
    {"155", "MALTESE", "MALTA"},
    {"201", "ALBANIAN", "ALBANIA"},
    {"202", "BULGARIAN", "BULGARIA"},
    {"203", "CZECHOSLOVAKIAN", "CZECHOSLOVAKIA"},
    {"205", "HUNGARIAN", "HUNGARY"},
    {"206", "POLISH", "POLAND"},
    {"207", "ROMANIAN", "ROMANIA"},
    {"209", "YUGOSLAVIAN", "YUGOSLAVIA"},
    {"210", "MACEDONIAN", "MACEDONIA"},
    {"211", "BELARUSSIAN", "BELARUS"},
    {"212", "UKRAINIAN", "UKRAINE"},
    {"213", "ESTONIAN", "ESTONIA"},
    {"214", "LATVIAN", "LATVIA"},
    {"215", "LITHUANIAN", "LITHUANIA"},
    {"216", "GEORGIAN", "GEORGIA"},
    {"217", "ARMENIAN", "ARMENIA"},
    {"218", "AZERBAIJANI", "AZERBAIJAN"},
    {"219", "KIRGHIZ", "KYRGYZSTAN"},
    {"221", "KAZAKH", "KAZAKHSTAN"},
    {"222", "MOLDOVIAN", "MOLDOVA"},
    {"223", "RUSSIAN", "RUSSIA"},
    {"224", "TADZHIK", "TAJIKISTAN"},
    {"225", "TURKMEN", "TURKMENISTAN"},
    {"226", "UZBEK", "UZBEKISTAN"},
    {"232", "CROATIAN", "CROATIA"},
    {"233", "SLOVENIAN", "SLOVENIA"},
    {"234", "CZECH", "CZECH REPUBLIC"},
    {"235", "SLOVAK", "SLOVAK REPUBLIC"},
    {"300", "SINGAPORE PR", "SINGAPORE"},
    {"301", "SINGAPORE CITIZEN", "SINGAPORE"},
    {"302", "BRUNEIAN", "BRUNEI"},
    {"303", "INDONESIAN", "INDONESIA"},
    {"304", "MALAYSIAN", "MALAYSIA"},
    {"305", "FILIPINO", "PHILIPPINES"},
    {"306", "THAI", "THAILAND"},
    {"307", "TIMORENSE", "EAST TIMOR"},
    {"311", "MYANMAR", "MYANMAR"},
    {"312", "CAMBODIAN", "CAMBODIA"},
    {"313", "LAOTIAN", "LAOS PEO DEM REP"},
    {"314", "VIETNAMESE", "VIETNAM SOC REP OF"},
    {"331", "JAPANESE", "JAPAN"},
    {"332", "HONG KONG RESIDENT", "HONG KONG"},
    {"333", "SOUTH KOREAN", "REP OF KOREA"},
    {"334", "TAIWANESE", "TAIWAN"},
    {"335", "MACAO", "MACAU"},
    {"336", "CHINESE", "PEOPLES REPUBLIC OF CHINA"},
    {"337", "NORTH KOREAN", "KOREA NORTH DEM PEO"},
    {"338", "MONGOLIAN", "MONGOLIAN PEOPLE REP"},
    {"351", "AFGHAN", "AFGHANISTAN"},
    {"352", "BANGLADESHI", "BANGLADESH"},
    {"353", "BHUTANI", "BHUTAN"},
    {"354", "INDIAN", "INDIA"},
    {"355", "MALDIVIAN", "MALDIVES"},
    {"356", "NEPALESE", "NEPAL"},
    {"357", "PAKISTANI", "PAKISTAN"},
    {"358", "SRI LANKAN", "SRI LANKA"},
    {"371", "BAHRAINI", "BAHRAIN"},
    {"372", "CYPRIAN", "CYPRUS"},
    {"373", "IRANIAN", "ISLAMIC REP OF IRAN"},
    {"374", "IRAQI", "IRAQ"},
    {"375", "ISRAELI", "ISRAEL"},
    {"376", "JORDANIAN", "JORDAN"},
    {"377", "KUWAITI", "KUWAIT"},
    {"378", "LEBANESE", "LEBANON"},
    {"379", "OMANI", "OMAN"},
    {"380", "QATARI", "QATAR"},
    {"381", "SAUDI ARABIAN", "SAUDI ARABIA"},
    {"382", "SYRIAN", "SYRIAN ARAB REP"},
    {"383", "UNITED ARAB EMIRATES", "UNITED ARAB EMIRATES"},
    {"384", "YEMINI", "REP OF YEMEN"},
    {"385", "YEMINI", "DEMOCRATIC YEMEN"},
    {"386", "PALESTINIAN", "PALESTINE"},
    {"401", "ALGERIAN", "ALGERIA"},
    {"402", "EGYPTIAN", "EGYPT"},
    {"403", "LIBYAN", "LIBYA A JAMAHIRIYA"},
    {"404", "MOROCCAN", "MOROCCO"},
    {"405", "SUDANESE", "SUDAN"},
    {"406", "TUNISIAN", "TUNISIA"},
    {"407", "DJIBOUTIAN", "DJIBOUTI"},
    {"408", "ETHIOPIAN", "ETHIOPIA"},
    {"409", "SOMALI", "DEM REP OF SOMALI"},
    {"410", "ERITREAN", "ERITREA"},
    {"421", "GHANAIAN", "GHANA"},
    {"422", "IVORY COAST", "COTE DIVOIRE"},
    {"423", "KENYAN", "KENYA"},
    {"424", "LIBERIAN", "LIBERIA"},
    {"425", "MALAGASY", "MADAGASCAR"},
    {"426", "MAURITIAN", "MAURITIUS"},
    {"427", "MOZAMBIQUEAN", "MOZAMBIQUE"},
    {"428", "NIGERIAN", "NIGERIA"},
    {"429", "REUNIONESE", "REUNION ISLAND"},
    {"430", "TANZANIAN", "TANZANIA"},
    {"431", "UGANDAN", "UGANDA"},
    {"432", "ZAMBIAN", "ZAMBIA"},
    {"451", "ANGOLAN", "ANGOLA"},
    {"452", "BENINESE", "BENIN"},
    {"453", "BOTSWANA", "BOTSWANA"},
    {"454", "BURKINABE", "BURKINA FASO"},
    {"455", "BURUNDIAN", "BURUNDI"},
    {"456", "CAMEROONIAN", "CAMEROON UNITED REP"},
    {"457", "CAPE VERDEAN", "CAPE VERDE"},
    {"458", "CENTRAL AFRICAN REP", "CENTRAL AFRICAN REP"},
    {"459", "CHADIAN", "CHAD"},
    {"460", "COMORAN", "COMOROS ISLAND"},
    {"461", "CONGOLESE", "CONGO"},
    {"462", "EQUATORIAL GUINEAN", "EQUATORIAL GUINEA"},
    {"463", "GABONESE", "GABON"},
    {"464", "GAMBIAN", "GAMBIA"},
    {"465", "GUINEAN", "GUINEA"},
    {"466", "GUINEA BISSAU", "GUINEA BISSAU"},
    {"467", "LESOTHO", "LESOTHO"},
    {"468", "MALAWIAN", "MALAWI"},
    {"469", "MALIAN", "MALI"},
    {"470", "MAURITANIAN", "MAURITANIA"},
    {"471", "NAMIBIAN", "NAMIBIA"},
    {"472", "NIGERIEN", "NIGER"},
    {"473", "RWANDAN", "RWANDA"},
    {"474", "SAO TOME PRINCIPE", "SAO TOME PRINCIPE"},
    {"475", "SENEGALESE", "SENEGAL"},
    {"476", "SEYCHELLOIS", "SEYCHELLES"},
    {"477", "SIERRA LEONEAN", "SIERRA LEONE"},
    {"478", "SOUTH AFRICAN", "SOUTH AFRICA"},
    {"479", "SAHRAWI", "WESTERN SAHARA"},
    {"480", "SWAZI", "SWAZILAND"},
    {"481", "TOGOLESE", "TOGO"},
    {"482", "ZAIREAN", "REP OF ZAIRE"},
    {"483", "ZIMBABWEAN", "ZIMBABWE"},
    {"484", "ST HELENA", "ST HELENA"},
    {"499", "OC IN OTHER AFRICA", "O C IN OTHER AFRICA"},
    {"501", "CANADIAN", "CANADA"},
    {"502", "PUERTO RICAN", "PUERTO RICO"},
    {"503", "AMERICAN", "UNITED STATES OF AMERICA"},
    {"504", "U S MINOR ISLANDS", "U S MINOR ISLANDS"},
    {"505", "ST PIERRE MIQUELON", "ST PIERRE MIQUELON"},
    {"509", "OC NORTH AMERICA", "OC NORTH AMERICA"},
    {"601", "ARGENTINIAN", "ARGENTINA"},
    {"602", "BRAZILIAN", "BRAZIL"},
    {"603", "CHILEAN", "CHILE"},
    {"604", "COLOMBIAN", "COLOMBIA"},
    {"605", "ECUADORIAN", "ECUADOR"},
    {"606", "MEXICAN", "MEXICO"},
    {"607", "PARAGUAYAN", "PARAGUAY"},
    {"608", "PERUVIAN", "PERU"},
    {"609", "URUGUAYAN", "URUGUAY"},
    {"610", "VENEZUELAN", "VENEZUELA"},
    {"621", "CUBAN", "CUBA"},
    {"622", "DOMINICAN REPUBLIC", "DOMINICAN REPUBLIC"},
    {"623", "NETHERLANDS ANTILLEAN", "NETHERLANDS ANTILLES"},
    {"624", "PANAMANIAN", "PANAMA"},
    {"625", "ARUBAN", "ARUBA"},
    {"641", "ANTIGUAN", "ANTIGUA AND BARBUDA"},
    {"642", "BAHAMIAN", "BAHAMAS ISLAND"},
    {"643", "BARBADIAN", "BARBADOS"},
    {"644", "BELIZEAN", "BELIZE"},
    {"645", "BERMUDAN", "BERMUDA"},
    {"646", "BOLIVIAN", "BOLIVIA"},
    {"647", "CAYMANESE", "CAYMAN ISLANDS"},
    {"648", "COSTA RICAN", "COSTA RICA"},
    {"649", "DOMINICAN", "DOMINICA"},
    {"650", "SALVADOREAN", "EL SALVADOR"},
    {"651", "FALKLAND ISLANDER", "FALKLAND IS"},
    {"652", "FRENCH GUIANESE", "FRENCH GUIANA"},
    {"653", "GRENADIAN", "GRENADA"},
    {"654", "GUADELOUPIAN", "GUADELOUPE"},
    {"655", "GUATEMALAN", "GUATEMALA"},
    {"656", "GUYANESE", "GUYANA"},
    {"657", "HAITIAN", "HAITI"},
    {"658", "HONDURAN", "HONDURAS"},
    {"659", "JAMAICAN", "JAMAICA"},
    {"660", "NICARAGUAN", "NICARAGUA"},
    {"661", "MARTINIQUAIS", "MARTINIQUE"},
    {"662", "MONTSERRATIAN", "MONTSERRAT"},
    {"663", "KITTITIAN", "SAINT KITTS NEVIS"},
    {"664", "ST LUCIAN", "SAINT LUCIA"},
    {"665", "VINCENTIAN", "SAINT VINCENT"},
    {"666", "SURINAMESE", "SURINAM"},
    {"667", "TRINIDADIAN", "TRINIDAD AND TOBAGO"},
    {"668", "TURKS AND CAICOS IS", "TURKS AND CAICOS IS"},
    {"669", "VIRGIN ISLANDER US", "VIRGIN ISLANDS US"},
    {"670", "ANGUILLAN", "ANGUILLA"},
    {"671", "BRITISH VIRGIN ISLANDER", "BRITISH VIRGIN ISLND"},
    {"672", "MANX", "ISLE OF MAN"},
    {"701", "AUSTRALIAN", "AUSTRALIA"},
    {"702", "FIJIAN", "FIJI"},
    {"703", "NAURUAN", "NAURU"},
    {"704", "NEW CALEDONIAN", "NEW CALEDONIA"},
    {"705", "NEW ZEALANDER", "NEW ZEALAND"},
    {"706", "PAPUA NEW GUINEAN", "PAPUA NEW GUINEA"},
    {"707", "SAMOAN", "SAMOA"},
    {"708", "BRITISH INDIAN OCEAN", "BRITISH INDIAN OCEAN"},
    {"709", "CHRISTMAS ISLANDER", "CHRISTMAS ISLANDS"},
    {"710", "COCOS KEELING ISLANDER", "COCOS KEELING ISLAND"},
    {"711", "FRENCH SOUTHERN TERR", "FRENCH SOUTHERN TERR"},
    {"712", "HEARD MCDONALD ISLND", "HEARD MCDONALD ISLND"},
    {"713", "NORFOLK ISLANDER", "NORFOLK ISLAND"},
    {"721", "AMERICAN SAMOAN", "AMERICAN SAMOA"},
    {"722", "COOK ISLANDER", "COOK ISLAND"},
    {"723", "FRENCH POLYNESIAN", "FRENCH POLYNESIA"},
    {"724", "GUAMANIAN", "GUAM"},
    {"725", "KIRIBATI", "KIRIBATI"},
    {"726", "NIUEAN", "NIUE"},
    {"727", "PITCAIRN ISLANDER", "PITCAIRN"},
    {"728", "SOLOMON ISLANDER", "SOLOMON ISLANDS"},
    {"729", "TOKELAUAN", "TOKELAU"},
    {"730", "TONGAN", "TONGA"},
    {"731", "TUVALUAN", "TUVALU"},
    {"732", "NI-VANUATU", "NEW HEBRIDES"},
    {"733", "WALLIS AND FUTUNA", "WALLIS AND FUTUNA"},
    {"734", "NORTHERN MARIANA ISL", "NORTHERN MARIANA ISLANDS"},
    {"735", "MARSHALLESE", "MARSHALL ISLANDS"},
    {"736", "MICRONESIAN", "MICRONESIA"},
    {"737", "PALAUAN", "PALAU"},
    {"799", "OC OCEANIA", "OC OCEANIA"},
    {"999", "OTHERS", "OTHERS"},
};

// The default logins of SYSCONT.ADT, in the order they are appended. The passwords are stored as plain text;
// the creator encrypts the whole table once they are written.
struct LoginRow {
  std::string_view log;
  std::string_view userid;
  std::string_view password;
};

constexpr LoginRow kLoginRows[] = {
    {"ADMIN", "SYSCON", "0978"},
    {"AUDIT", "AUDIT1", "QUAFT"},
    {"AUDIT", "AUDIT2", "QUAFT"},
    {"AUDIT", "AUDIT3", "QUAFT"},
    {"AUDIT", "AUDIT4", "QUAFT"},
    {"AUDIT", "AUDIT5", "QUAFT"},
};

std::string NationalityInsert(const NationalityRow& row) {
  std::string sql = "INSERT INTO IRAS_NAT_2007 VALUES( '";
  sql += row.code;
  sql += "', '";
  sql += row.nationality;
  sql += "', '";
  sql += row.country;
  sql += "' ) ";
  return sql;
}

}  // namespace

void SeedNationalityCodes(engine::TAdsQuery& query) {
  for (const NationalityRow& row : kNationalityRows) {
    query.SQL().Clear();
    query.SQL().Add(NationalityInsert(row));
    query.ExecSQL();
    query.CloseStatement();
  }
}

void WriteSystemControlRows(engine::TAdsTable& table) {
  for (const LoginRow& row : kLoginRows) {
    table.Append();
    table.FieldByName("log").SetAsString(std::string(row.log));
    table.FieldByName("userid").SetAsString(std::string(row.userid));
    table.FieldByName("PASSWORD").SetAsString(std::string(row.password));
    table.Post();
  }
}

}  // namespace kv::catalogue
