// Every statement text the upgrade tool sends, run against a small fixture and checked by the rows it leaves
// (or the rows of its result): the texts are those of tests/ace/sql/statements_test.cpp, exactly as the tool
// sends them.

#include <gtest/gtest.h>

#include "ace/dict/dictionary.h"
#include "ace/calls/handles.h"
#include "ace/sql/parser.h"
#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

std::string AlterText(const std::string& table, const std::string& change) {
  return Lines({"ALTER TABLE \"" + table + ".ADT\"", change});
}
std::string DropColumnText(const std::string& table, const std::string& column) {
  return Lines({"ALTER TABLE \"" + table + ".ADT\" ", "DROP column \"" + column + "\""});
}

using Params = std::vector<std::pair<std::string, Value>>;

struct StatementCase {
  const char* where;
  std::vector<TableSpec> tables;
  std::string text;
  Params params;
  std::string check;                  // the table whose contents are compared; "" for the cursor's
  std::vector<std::string> expected;  // the header line, then the rows
  std::int64_t affected = -1;         // the statement's record count afterwards, when it matters
};

const std::vector<StatementCase>& Cases() {
  static const std::vector<StatementCase> cases = {
      {"query DEL", {{"QUERY", "CODE,Char,8;NAME,Char,10;", {{"A", "x"}, {"~", "y"}, {"B", "z"}, {"", "blank"}}}},
       Lines({"DELETE FROM QUERY WHERE CODE IS NULL"}), {}, "QUERY",
       {"CODE Char(8)|NAME Char(10)", "A|x", "B|z", "|blank"}, 1},
      {"national service query",
       {{"NSMAN", "EMP,Char,4;NS_PSA_SERVICE,Char,1;", {{"E1", "Y"}, {"E2", "N"}, {"E3", "Y"}, {"E4", "~"}}}},
       Lines({"SELECT * FROM NSMAN WHERE NS_PSA_SERVICE='Y'"}), {}, "",
       {"EMP Char(4)|NS_PSA_SERVICE Char(1)", "E1|Y", "E3|Y"}},
      {"salary total query",
       {{"EMP_PROS", "EMP_CODE,Char,4;NEW_SALARY,CurDouble,6;", {{"A", "1000.5"}, {"B", "2000.25"}, {"C", "~"}}}},
       Lines({"SELECT SUM(NEW_SALARY) AS NEW FROM EMP_PROS"}), {}, "", {"NEW CurDouble", "3000.75"}, 1},
      {"salary integrity",
       {{"EMP_PROS", "EMP_CODE,Char,4;NEW_SALARY,CurDouble,6;", {{"A", "10"}, {"B", "~"}}}},
       Lines({"SELECT SUM(NEW_SALARY) AS NEW FROM \"EMP_PROS.ADT\""}), {}, "", {"NEW CurDouble", "10"}},
      {"claim query", {{"MEDSCH", "SCHEME_CODE,Char,4;CLAIM_CODE,Char,4;", {{"S1", "C1"}, {"S2", "C2"}}}},
       Lines({"SELECT * FROM  MEDSCH"}), {}, "", {"SCHEME_CODE Char(4)|CLAIM_CODE Char(4)", "S1|C1", "S2|C2"}},
      {"MEDSCH index query", {{"MEDSCH", "SCHEME_CODE,Char,4;", {{"S2"}, {"S1"}}}}, Lines({"SELECT * FROM MEDSCH"}),
       {}, "", {"SCHEME_CODE Char(4)", "S2", "S1"}},
      {"RBITEM ids", {{"RBITEM", "ItemId,AutoInc;Name,Char,10;ID,Integer;", {{"", "a", "~"}, {"", "b", "7"}, {"", "c", "~"}}}},
       Lines({"UPDATE \"RBITEM.ADT\" SET ID = ItemId WHERE ID IS NULL"}), {}, "RBITEM",
       {"ItemId AutoInc|Name Char(10)|ID Integer", "1|a|1", "2|b|7", "3|c|3"}, 2},
      {"RTABLE hide wage",
       {{"RTABLE", "DATABASE1,Char,10;TYPE1,Char,1;FIELD,Char,12;WIDTH,Char,3;HIDE_WAGE,Char,1;",
         {{"EMP_PROS", "N", "NEW_SALARY", "20", "F"}, {"EMP_PROS", "A", "EMP_NAME", "30", "F"},
          {"EMPLOYEE", "N", "BASIC", "20", "F"}, {"EMP_PROS   ", "N", "GRADE", "8", ""}}}},
       Lines({"UPDATE RTABLE SET HIDE_WAGE ='T' WHERE DATABASE1='EMP_PROS' AND TYPE1='N' "}), {}, "RTABLE",
       {"DATABASE1 Char(10)|TYPE1 Char(1)|FIELD Char(12)|WIDTH Char(3)|HIDE_WAGE Char(1)",
        "EMP_PROS|N|NEW_SALARY|20|T", "EMP_PROS|A|EMP_NAME|30|F", "EMPLOYEE|N|BASIC|20|F", "EMP_PROS|N|GRADE|8|T"},
       2},
      // WIDTH is a character column: "20", " 20" and "020" equal the number 20, "abc" equals no number.
      {"RTABLE width 60",
       {{"RTABLE", "FIELD,Char,12;WIDTH,Char,3;", {{"A", "20"}, {"B", "30"}, {"C", " 20"}, {"D", "020"}, {"E", "abc"}, {"F", "25"}, {"G", "~"}}}},
       Lines({"UPDATE RTABLE SET WIDTH =60 WHERE WIDTH=20 OR WIDTH=30 "}), {}, "RTABLE",
       {"FIELD Char(12)|WIDTH Char(3)", "A|60", "B|60", "C|60", "D|60", "E|abc", "F|25", "G|~"}, 4},
      {"RTABLE width 40", {{"RTABLE", "FIELD,Char,12;WIDTH,Char,3;", {{"EMP_NAME", "20"}, {"EMP_NO", "20"}}}},
       Lines({"UPDATE RTABLE SET WIDTH =40 WHERE FIELD='EMP_NAME'"}), {}, "RTABLE",
       {"FIELD Char(12)|WIDTH Char(3)", "EMP_NAME|40", "EMP_NO|20"}, 1},
      {"training department",
       {{"TRAINING", "CODE,Char,4;DEPARTMENT,Char,8;", {{"T1", "~"}, {"T2", "SALES"}, {"T3", "~"}}}},
       Lines({"UPDATE TRAINING SET DEPARTMENT = :DEPART WHERE DEPARTMENT IS NULL"}), {{"depart", Value::String("NONE")}},
       "TRAINING", {"CODE Char(4)|DEPARTMENT Char(8)", "T1|NONE", "T2|SALES", "T3|NONE"}, 2},

      // Column upgrades: the add path of every type code, on a table with rows; new columns are NULL
      {"add C", {{"EMPLOYEE", "EMP_NO,Char,4;", {{"E1"}, {"E2"}}}}, AlterText("EMPLOYEE", "add column FWL1TOFWL2 char(8)"),
       {}, "EMPLOYEE", {"EMP_NO Char(4)|FWL1TOFWL2 Char(8)", "E1|~", "E2|~"}},
      {"add $", {{"PLACEMENT_SALARY", "EMP_NO,Char,4;", {{"E1"}}}}, AlterText("PLACEMENT_SALARY", "add column BILLRATE curdouble "),
       {}, "PLACEMENT_SALARY", {"EMP_NO Char(4)|BILLRATE CurDouble", "E1|~"}},
      {"add D", {{"EMPLOYEE", "EMP_NO,Char,4;", {{"E1"}}}}, AlterText("EMPLOYEE", "add column ORIGINAL_HIRED_DATE date "),
       {}, "EMPLOYEE", {"EMP_NO Char(4)|ORIGINAL_HIRED_DATE Date", "E1|~"}},
      {"add I", {{"TRAINING", "CODE,Char,4;", {{"T1"}}}}, AlterText("TRAINING", "add column VALIDPERIOD INTEGER "), {},
       "TRAINING", {"CODE Char(4)|VALIDPERIOD Integer", "T1|~"}},
      {"add L", {{"IR8APARA", "CODE,Char,4;", {{"P"}}}}, AlterText("IR8APARA", "add column BOOLEAN1 LOGICAL "), {},
       "IR8APARA", {"CODE Char(4)|BOOLEAN1 Logical", "P|~"}},
      {"add T", {{"TSubstitute", "CODE,Char,4;", {{"S"}}}}, AlterText("TSubstitute", "ADD column FMTIME TIME "), {},
       "TSubstitute", {"CODE Char(4)|FMTIME Time", "S|~"}},
      {"add B", {{"EMPLOYEE", "EMP_NO,Char,4;", {{"E1"}}}}, AlterText("EMPLOYEE", "add column PHOTO BLOB "), {},
       "EMPLOYEE", {"EMP_NO Char(4)|PHOTO Binary", "E1|~"}},
      {"add Z", {{"WKLEAVE", "CODE,Char,4;", {{"W"}}}}, AlterText("WKLEAVE", "add column FORFEIT double "), {},
       "WKLEAVE", {"CODE Char(4)|FORFEIT Double", "W|~"}},
      {"add +", {{"EMPLEAVE", "EMP_NO,Char,4;", {{"E1"}, {"E2"}, {"E3"}}}}, AlterText("EMPLEAVE", "add column AUTOINC AutoInc "),
       {}, "EMPLEAVE", {"EMP_NO Char(4)|AUTOINC AutoInc", "E1|1", "E2|2", "E3|3"}},
      // The conversion forms: existing values are kept by value
      {"add path IC", {{"VACCINATION", "EMP_NO,Char,4;FOOD_HANDLER,Logical;", {{"E1", "T"}, {"E2", "F"}, {"E3", "~"}}}},
       AlterText("VACCINATION", "alter column FOOD_HANDLER \"FOOD_HANDLER\" char(1)"), {}, "VACCINATION",
       {"EMP_NO Char(4)|FOOD_HANDLER Char(1)", "E1|T", "E2|F", "E3|~"}},
      {"add path IC on DESC", {{"CODE", "CODE,Char,4;DESC,Char,30;", {{"A", "Annual leave"}}}},
       AlterText("CODE", "alter column DESC \"DESC\" char(60)"), {}, "CODE",
       {"CODE Char(4)|DESC Char(60)", "A|Annual leave"}},
      {"add path AI", {{"RBITEM", "ID,AutoInc;Name,Char,4;", {{"", "a"}, {"", "b"}, {"", "c"}}}},
       AlterText("RBITEM", "alter column ID ID INTEGER "), {}, "RBITEM", {"ID Integer|Name Char(4)", "1|a", "2|b", "3|c"}},
      {"change AS", {{"PASS", "USERID,Char,8;PRINTER,Char,2;", {{"U1", "P1"}, {"U2", "~"}}}},
       AlterText("PASS", "alter column \"PRINTER\" \"PRINTER\" char(4)"), {}, "PASS",
       {"USERID Char(8)|PRINTER Char(4)", "U1|P1", "U2|~"}},
      {"change IC on DESC", {{"CODE", "CODE,Char,4;DESC,Char,70;", {{"A", std::string(65, 'x')}}}},
       AlterText("CODE", "alter column \"DESC\" \"DESC\" char(60)"), {}, "CODE",
       {"CODE Char(4)|DESC Char(60)", "A|" + std::string(60, 'x')}},
      {"change size 0 $", {{"ACHIEVE", "EMP_NO,Char,4;AMOUNT,Char,10;", {{"E1", " 12.50"}, {"E2", ""}, {"E3", "~"}}}},
       AlterText("ACHIEVE", "alter column AMOUNT AMOUNT curdouble"), {}, "ACHIEVE",
       {"EMP_NO Char(4)|AMOUNT CurDouble", "E1|12.5", "E2|~", "E3|~"}},
      {"change size 0 D", {{"MEMBER", "EMP_NO,Char,4;EXPIRY_DATE,Char,10;", {{"E1", "2026-03-31"}, {"E2", "12/31/2025"}}}},
       AlterText("MEMBER", "alter column EXPIRY_DATE EXPIRY_DATE date"), {}, "MEMBER",
       {"EMP_NO Char(4)|EXPIRY_DATE Date", "E1|2026-03-31", "E2|2025-12-31"}},
      {"change size 0 I", {{"GLCODE", "CODE,Char,4;SEQ,Double,2;", {{"G1", "3"}, {"G2", "12"}}}},
       AlterText("GLCODE", "alter column SEQ SEQ INTEGER"), {}, "GLCODE", {"CODE Char(4)|SEQ Integer", "G1|3", "G2|12"}},
      {"change size 0 L", {{"PASS", "USERID,Char,8;LOCKED,Char,1;", {{"U1", "T"}, {"U2", "F"}, {"U3", "Y"}}}},
       AlterText("PASS", "alter column LOCKED LOCKED Logical"), {}, "PASS",
       {"USERID Char(8)|LOCKED Logical", "U1|T", "U2|F", "U3|T"}},
      {"change size 0 B", {{"MEDICAL", "EMPCODE,Char,4;NOTE,Memo;", {{"E1", "seen by the doctor"}, {"E2", "~"}}}},
       AlterText("MEDICAL", "alter column NOTE NOTE BLOB"), {}, "MEDICAL",
       {"EMPCODE Char(4)|NOTE Binary", "E1|seen by the doctor", "E2|~"}},
      {"change size 0 T", {{"TRAINING", "CODE,Char,4;TIMEIN,Char,8;", {{"T1", "08:30"}, {"T2", "17:45:10"}}}},
       AlterText("TRAINING", "alter column TIMEIN TIMEIN TIME"), {}, "TRAINING",
       {"CODE Char(4)|TIMEIN Time", "T1|08:30:00", "T2|17:45:10"}},
      {"drop DESC", {{"CLAIMGRP", "CODE,Char,4;DESC,Char,20;AMOUNT,CurDouble,6;", {{"C1", "Dental", "100"}}}},
       DropColumnText("CLAIMGRP", "DESC"), {}, "CLAIMGRP", {"CODE Char(4)|AMOUNT CurDouble", "C1|100"}},
      // Requests whose column or table is a word of the language elsewhere
      {"PAYPARA2 TYPE", {{"PAYPARA2", "CODE,Char,4;", {{"P"}}}}, AlterText("PAYPARA2", "add column TYPE char(3)"), {},
       "PAYPARA2", {"CODE Char(4)|TYPE Char(3)", "P|~"}},
      {"QUERYHD OPTION", {{"QUERYHD", "CODE,Char,4;", {}}}, AlterText("QUERYHD", "add column OPTION char(4)"), {},
       "QUERYHD", {"CODE Char(4)|OPTION Char(4)"}},
      {"QUERY USERID", {{"QUERY", "CODE,Char,4;", {}}}, AlterText("QUERY", "add column USERID char(8)"), {}, "QUERY",
       {"CODE Char(4)|USERID Char(8)"}},
      {"CODE LOCK", {{"CODE", "CODE,Char,4;", {}}}, AlterText("CODE", "add column LOCK char(1)"), {}, "CODE",
       {"CODE Char(4)|LOCK Char(1)"}},
      {"PUBLIC STATE", {{"PUBLIC", "CODE,Char,4;", {}}}, AlterText("PUBLIC", "add column STATE char(8)"), {}, "PUBLIC",
       {"CODE Char(4)|STATE Char(8)"}},
      {"GLCOST LINE", {{"GLCOST", "CODE,Char,4;", {{"G"}}}}, AlterText("GLCOST", "add column LINE INTEGER "), {},
       "GLCOST", {"CODE Char(4)|LINE Integer", "G|~"}},
      {"JOB_HIS CURRENCY", {{"JOB_HIS", "CODE,Char,4;", {}}}, AlterText("JOB_HIS", "add column CURRENCY char(8)"), {},
       "JOB_HIS", {"CODE Char(4)|CURRENCY Char(8)"}},
      {"RTPHD EXCLUSIVE", {{"RTPHD", "CODE,Char,4;", {}}}, AlterText("RTPHD", "add column EXCLUSIVE char(1)"), {},
       "RTPHD", {"CODE Char(4)|EXCLUSIVE Char(1)"}},
      {"EMP_PROS PERCENT", {{"EMP_PROS", "CODE,Char,4;", {}}}, AlterText("EMP_PROS", "add column PERCENT curdouble "),
       {}, "EMP_PROS", {"CODE Char(4)|PERCENT CurDouble"}},
      {"GLCODE CONTROL", {{"GLCODE", "CODE,Char,4;", {}}}, AlterText("GLCODE", "add column CONTROL char(1)"), {},
       "GLCODE", {"CODE Char(4)|CONTROL Char(1)"}},
      {"EMPSERV UNIT", {{"EMPSERV", "CODE,Char,4;", {}}}, AlterText("EMPSERV", "add column UNIT char(8)"), {},
       "EMPSERV", {"CODE Char(4)|UNIT Char(8)"}},
      {"BONUS TOTAL", {{"BONUS", "CODE,Char,4;", {}}}, AlterText("BONUS", "add column TOTAL curdouble "), {}, "BONUS",
       {"CODE Char(4)|TOTAL CurDouble"}},
      {"PASS BACKUP", {{"PASS", "CODE,Char,4;", {}}}, AlterText("PASS", "add column BACKUP char(1)"), {}, "PASS",
       {"CODE Char(4)|BACKUP Char(1)"}},
      {"SETUP ALIAS", {{"SETUP", "CODE,Char,4;", {}}}, AlterText("SETUP", "add column ALIAS char(30)"), {}, "SETUP",
       {"CODE Char(4)|ALIAS Char(30)"}},
      {"EMPLEAVE cdoff", {{"EMPLEAVE", "CODE,Char,4;", {}}}, AlterText("EMPLEAVE", "add column cdoff char(12)"), {},
       "EMPLEAVE", {"CODE Char(4)|cdoff Char(12)"}},
      // The table is found without regard to case: the file is EMPLOYEE.ADT
      {"table named in Edit4", {{"EMPLOYEE", "EMP_NO,Char,4;", {{"E1"}}}},
       AlterText("employee", "add column SUPERVISOR_CODE char(12)"), {}, "EMPLOYEE",
       {"EMP_NO Char(4)|SUPERVISOR_CODE Char(12)", "E1|~"}},

      // Fills of new columns
      {"YTDEMPL fill",
       {{"YTDEMPL", "EMPCODE,Char,4;CPFOWWAGE,Double,6;CPFAWWAGE,Double,6;ORI_OWWAGE,Double,6;ORI_AWWAGE,Double,6;",
         {{"E1", "1000", "200", "~", "~"}, {"E2", "1500", "~", "900", "5"}}}},
       Lines({"UPDATE YTDEMPL SET ORI_OWWAGE=CPFOWWAGE,ORI_AWWAGE=CPFAWWAGE  WHERE ORI_OWWAGE IS NULL"}), {}, "YTDEMPL",
       {"EMPCODE Char(4)|CPFOWWAGE Double|CPFAWWAGE Double|ORI_OWWAGE Double|ORI_AWWAGE Double",
        "E1|1000|200|1000|200", "E2|1500|~|900|5"},
       1},
      {"bank amount fill",
       {{"P_HTRX", "EMPCODE,Char,4;NETT_WAGE,CurDouble,6;BANKAMT,CurDouble,6;", {{"E1", "2500.5", "~"}, {"E2", "100", "90"}}}},
       Lines({"UPDATE P_htrx SET BANKAMT = nett_wage WHERE BANKAMT IS NULL"}), {}, "P_HTRX",
       {"EMPCODE Char(4)|NETT_WAGE CurDouble|BANKAMT CurDouble", "E1|2500.5|2500.5", "E2|100|90"}, 1},
      {"CODE map field",
       {{"CODE", "CODE,Char,4;N1CLAIM,Char,8;MAPFIELD,Char,12;", {{"A", "DENT", "~"}, {"B", "OPTI", "KEEP"}}}},
       Lines({"UPDATE \"CODE.ADT\" SET MAPFIELD = N1CLAIM WHERE MAPFIELD IS NULL"}), {}, "CODE",
       {"CODE Char(4)|N1CLAIM Char(8)|MAPFIELD Char(12)", "A|DENT|DENT", "B|OPTI|KEEP"}},
      {"CODE long description",
       {{"CODE", "CODE,Char,4;DESC,Char,30;LONG_DESC,Char,60;", {{"A", "Annual", "~"}, {"B", "Sick", "Sick leave"}}}},
       Lines({"UPDATE \"CODE.ADT\" SET LONG_DESC = \"DESC\" WHERE LONG_DESC IS NULL"}), {}, "CODE",
       {"CODE Char(4)|DESC Char(30)|LONG_DESC Char(60)", "A|Annual|Annual", "B|Sick|Sick leave"}},
      {"EMP_PROS grade",
       {{"EMP_PROS", "EMP_CODE,Char,4;GRADE,Char,8;", {{"E1", "~"}, {"E2", "G2"}}}},
       Lines({"UPDATE \"EMP_PROS.ADT\" SET GRADE =:GRADE  WHERE GRADE IS NULL"}), {{"GRADE", Value::String("G1")}},
       "EMP_PROS", {"EMP_CODE Char(4)|GRADE Char(8)", "E1|G1", "E2|G2"}},

      // Levy table preparation and loader
      {"levy period part",
       {{"FW_LEVY", "YEAR,Char,4;PERIOD_PART,Char,2;", {{"2024", "~"}, {"2025", "2"}}}},
       Lines({"UPDATE FW_LEVY SET PERIOD_PART='1' WHERE PERIOD_PART IS NULL"}), {}, "FW_LEVY",
       {"YEAR Char(4)|PERIOD_PART Char(2)", "2024|1", "2025|2"}},
      {"levy query", {{"FW_LEVY", "YEAR,Char,4;CLASS,Char,2;", {{"2024", "A"}}}}, Lines({"SELECT * FROM FW_LEVY "}), {},
       "", {"YEAR Char(4)|CLASS Char(2)", "2024|A"}},

      // Conversions
      {"cost centre",
       {{"EMP_PROS", "EMP_CODE,Char,12;COST_CENTRE,Char,8;", {{"E1", "~"}, {"E2", "OLD"}, {"E9", "KEEP"}}},
        {"EMPLOYEE", "EMP_NO,Char,12;COST_CENTRE_CODE,Char,8;", {{"E2", "CC2"}, {"E1", "CC1"}, {"E3", "CC3"}}}},
       Lines({"UPDATE EMP_PROS SET COST_CENTRE=COST_CENTRE_CODE FROM EMPLOYEE ", "WHERE EMPLOYEE.EMP_NO=EMP_PROS.EMP_CODE  "}),
       {}, "EMP_PROS", {"EMP_CODE Char(12)|COST_CENTRE Char(8)", "E1|CC1", "E2|CC2", "E9|KEEP"}, 2},
      {"benefit schemes",
       {{"EMPLOYEE", "EMP_NO,Char,4;BENEFIT_SCHEME,Char,8;", {{"E1", "B"}, {"E2", "A"}, {"E3", "B"}, {"E4", "~"}, {"E5", "A  "}}}},
       Lines({"SELECT BENEFIT_SCHEME  FROM EMPLOYEE GROUP BY BENEFIT_SCHEME"}), {}, "",
       {"BENEFIT_SCHEME Char(8)", "~", "A", "B"}, 3},
      {"occupation codes",
       {{"FAMILY", "EMP_NO,Char,4;OCCUPATION_CODE,Char,8;", {{"E1", "CLERK"}, {"E2", "NURSE"}, {"E3", "CLERK"}}}},
       Lines({"SELECT DISTINCT OCCUPATION_CODE FROM FAMILY "}), {}, "", {"OCCUPATION_CODE Char(8)", "CLERK", "NURSE"}, 2},
      {"contact relations",
       {{"EMPLOYEE", "EMP_NO,Char,4;EMG_CONTACT_RELATION,Char,10;", {{"E1", "WIFE"}, {"E2", "~"}, {"E3", "WIFE"}, {"E4", "~"}}}},
       Lines({"SELECT DISTINCT EMG_CONTACT_RELATION FROM EMPLOYEE "}), {}, "",
       {"EMG_CONTACT_RELATION Char(10)", "WIFE", "~"}},
      {"leave entitlements", {{"EMPENT", "EMP_NO,Char,4;CURRENT,Double,2;", {{"E1", "14"}, {"E2", "~"}}}},
       Lines({"UPDATE EMPENT SET CURRENT=0"}), {}, "EMPENT", {"EMP_NO Char(4)|CURRENT Double", "E1|0", "E2|0"}, 2},
  };
  return cases;
}

class ToolStatementsRun : public SqlTest {};

TEST_F(ToolStatementsRun, EachTextLeavesItsRows) {
  for (const StatementCase& c : Cases()) {
    SCOPED_TRACE(c.where);
    kv::testing::TempFolder folder;
    AdsHandle conn = 0;
    ASSERT_ADS(AdsConnect60(folder.Path().string(), 3, "", "", 0, &conn));
    std::swap(conn, connection);
    for (const TableSpec& t : c.tables) Make(t);
    AdsHandle cursor = 0;
    const ResultCode r = Run(c.text, c.params, &cursor);
    ASSERT_EQ(r, 0u) << LastErrorText() << "\n" << c.text;
    if (c.check.empty()) {
      ASSERT_NE(cursor, 0u);
      std::vector<std::string> rows{Header(cursor)};
      for (std::string& row : RowsOf(cursor)) rows.push_back(std::move(row));
      EXPECT_EQ(rows, c.expected);
    } else {
      EXPECT_EQ(cursor, 0u);
      EXPECT_EQ(Contents(c.check), c.expected);
    }
    if (c.affected >= 0) {
      EXPECT_EQ(Count(statement), static_cast<std::uint64_t>(c.affected));
    }
    ASSERT_ADS(AdsCloseSQLStatement(statement));
    statement = 0;
    std::swap(conn, connection);
    ASSERT_ADS(AdsDisconnect(conn));
  }
}

// Every CREATE INDEX the tool sends: the tag's key is the column list joined by ";", spelled as the table
// spells its fields, and the rows come in its order.
struct IndexCase {
  std::string table, tag, key, text;
  std::uint32_t options = index_option::kCompound;
};

TEST_F(ToolStatementsRun, EachCreateIndexMakesItsTag) {
  const IndexCase cases[] = {
      {"mcompany", "PRIMARY", "COMPANY_CODE", Lines({"Create Unique Index \"PRIMARY\" on mcompany( COMPANY_CODE )"}),
       index_option::kCompound | index_option::kUnique},
      {"MEDSCH", "  SCHEME_CODE2", "SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE",
       Lines({"Create Index \"  SCHEME_CODE2\" on MEDSCH(SCHEME_CODE,CLAIM_CODE,SUBCLAIM,CLAIMTYPE )"})},
      {"FREEFIELD", "CTLFIELD", "MODULE;LINE;CTLFIELD", Lines({"Create Index \"CTLFIELD\" on FREEFIELD(MODULE,LINE,CTLFIELD)"})},
      {"APPD8B", "INC_NO", "INC_NO", Lines({"Create Index \"INC_NO\" on APPD8B(INC_NO)"})},
      {"RPTRX", "PAYCODE", "EMPCODE;PAYCODE;PERIOD;CYCLE", Lines({"Create Index \"PAYCODE\" on RPTRX(EMPCODE,PAYCODE,PERIOD,CYCLE)"})},
      {"RBFIELD", "TABLENAME", "TABLENAME;FIELDNAME", Lines({"Create Index \"TABLENAME\" on RBFIELD(TABLENAME,FIELDNAME)"})},
      {"LEAV_TRX", "LEAVE_TRX1", "LEAVE_CODE;EMPCODE;DATE;ID",
       Lines({"Create Index \"LEAVE_TRX1\" on LEAV_TRX( LEAVE_CODE,EMPCODE,\"DATE\",ID)"})},
      {"RBTABLE", "TABLENAME", "TABLENAME", Lines({"Create Index \"TABLENAME\" on RBTABLE(TABLENAME)"})},
      {"PQUERY", "CODE2", "CODE;QTYPE;ID", Lines({"Create Index \"CODE2\" on PQUERY(CODE,QTYPE,ID)"})},
      {"LIEUTRX1", "EMP_NO2", "EMP_NO;LEAVE_CODE;TRX_DATE;TRXID",
       Lines({"Create Index \"EMP_NO2\" on LIEUTRX1(EMP_NO,LEAVE_CODE,TRX_DATE,TRXID)"})},
      {"LEAV_TRX", "EMP_NO", "LEAVE_CODE;EMPCODE;DATE;ID", Lines({"Create Index \"EMP_NO\" on LEAV_TRX(LEAVE_CODE,EMPCODE,\"DATE\",ID)"})},
      {"CODE", "CATDESC", "CATEGORY;DESC", Lines({"Create Index \"CATDESC\" on CODE(CATEGORY,\"DESC\")"})},
      {"IR8AR", "PRIMARY1", "USERID;EMPCODE;TYPE", Lines({"Create Index \"PRIMARY1\" on IR8AR(USERID,EMPCODE,TYPE )"})},
      {"MEDICAL", "BNO", "EMPCODE;BNO", Lines({"Create Index \"BNO\" on MEDICAL(EMPCODE,BNO )"})},
      {"ALLOWNCE", "RPTCODE", "YEAR;RPTCODE", Lines({"Create Index \"RPTCODE\" on ALLOWNCE( YEAR,RPTCODE )"})},
      {"GLCOST", "  LINE", "LINE", Lines({"Create Index \"  LINE\" on GLCOST(LINE)"})},
      {"PASSWORK", "MENU1", "USER;MENU", Lines({"Create Index \"MENU1\" on PASSWORK(\"USER\",MENU)"})},
      {"APPR", "EMPLOYEE", "EMP_CODE", Lines({"Create Index \"EMPLOYEE\" on APPR(EMP_CODE)"})},
      {"P_HIST1", "P_HIST", "USERID;EMPCODE;ID;ALW_CODE;DESC01",
       Lines({"Create Index \"P_HIST\" on P_HIST1(USERID,EMPCODE,ID,ALW_CODE,DESC01)"})},
      {"APPRDTL", "EMPLOYEE1", "EMPCODE;ID;SECTION", Lines({"Create Index \"EMPLOYEE1\" on APPRDTL(EMPCODE,ID,SECTION)"})},
      {"APP_GRADE_SETUP", "FROMMARK", "JOB_GRADE;FROMMARK",
       Lines({"Create Index \"FROMMARK\" on APP_GRADE_SETUP(JOB_GRADE,FROMMARK)"})},
      {"LEAVESET", "PERIOD1", "PERIOD;SCHEME", Lines({"Create Index \"PERIOD1\" on LEAVESET(PERIOD,SCHEME)"})},
      {"P_HIST4", "PAYCODE1", "USERID;DEPT_CODE;CST_CODE;CAT_CODE;PAYCODE1",
       Lines({"Create Index \"PAYCODE1\" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE1)"})},
      {"P_HIST4", "PAYCODE2", "USERID;DEPT_CODE;CST_CODE;CAT_CODE;PAYCODE2",
       Lines({"Create Index \"PAYCODE2\" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE2)"})},
      {"P_HIST4", "ID", "USERID;DEPT_CODE;CST_CODE;CAT_CODE;PAYCODE2;ID",
       Lines({"Create Index \"ID\" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE2,ID)"})},
      {"FW_LEVY", "PRIMARY", "YEAR;CLASS;CATEGORY;PERIOD_PART", Lines({"CREATE INDEX [PRIMARY] ON FW_LEVY (YEAR,CLASS,CATEGORY,PERIOD_PART)"})},
  };
  for (const IndexCase& c : cases) {
    SCOPED_TRACE(c.text);
    kv::testing::TempFolder folder;
    AdsHandle conn = 0;
    ASSERT_ADS(AdsConnect60(folder.Path().string(), 3, "", "", 0, &conn));
    std::swap(conn, connection);
    // Each key field a character column; the rows are written in descending key order.
    std::string fields;
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= c.key.size();) {
      const std::size_t end = std::min(c.key.find(';', start), c.key.size());
      names.push_back(c.key.substr(start, end - start));
      fields += names.back() + ",Char,6;";
      start = end + 1;
    }
    TableSpec spec{c.table, fields + "OTHER,Integer;", {}, {}};
    for (int i = 3; i >= 1; --i) spec.rows.push_back(std::vector<std::string>(names.size(), "K" + std::to_string(i)));
    Make(spec);
    ASSERT_EQ(Run(c.text), 0u) << LastErrorText();
    EXPECT_EQ(Tags(c.table), std::vector<std::string>{c.tag + "=" + c.key});
    const AdsHandle t = Open(c.table);
    const AdsHandle tag = Index(t, c.tag);
    std::uint32_t options = 0;
    ASSERT_ADS(AdsGetIndexOptions(tag, &options));
    EXPECT_EQ(options, c.options);
    EXPECT_EQ(Column(tag, t, names.front()), (std::vector<std::string>{"K1", "K2", "K3"}));
    AdsCloseTable(t);
    AdsCloseSQLStatement(statement);
    statement = 0;
    std::swap(conn, connection);
    ASSERT_ADS(AdsDisconnect(conn));
  }
}

// A key written with commas, as SETTLEMENT's is, follows its fields through ALTER TABLE like any other: a
// renamed field is renamed in the key, a dropped one takes the tag with it.
TEST_F(ToolStatementsRun, CommaJoinedKeysFollowTheirFieldsThroughAlterTable) {
  Make({"SETTLEMENT", "BANKCODE,Char,4;CURR_CODE,Char,3;AMOUNT,CurDouble,6;",
        {{"DBS", "SGD", "10"}, {"OCBC", "USD", "20"}}, {{"BANKCUR", "BANKCODE,CURR_CODE"}}});
  ASSERT_ADS(Run(AlterText("SETTLEMENT", "alter column CURR_CODE CURRENCY char(3)")));
  EXPECT_EQ(Tags("SETTLEMENT"), std::vector<std::string>{"BANKCUR=BANKCODE,CURRENCY"});
  ASSERT_ADS(Run(DropColumnText("SETTLEMENT", "CURRENCY")));
  EXPECT_TRUE(Tags("SETTLEMENT").empty());
}

TEST_F(ToolStatementsRun, LevyIndexIsDroppedAndMadeAgain) {
  Make({"FW_LEVY", "YEAR,Char,4;CLASS,Char,2;CATEGORY,Char,2;PERIOD_PART,Char,2;",
        {{"2025", "A", "S", "1"}, {"2024", "B", "S", "2"}}, {{"PRIMARY", "YEAR;CLASS"}}});
  ASSERT_ADS(Run(Lines({"DROP INDEX FW_LEVY.[PRIMARY]"})));
  EXPECT_TRUE(Tags("FW_LEVY").empty());
  ASSERT_ADS(Run(Lines({"CREATE INDEX [PRIMARY] ON FW_LEVY (YEAR,CLASS,CATEGORY,PERIOD_PART)"})));
  EXPECT_EQ(Tags("FW_LEVY"), std::vector<std::string>{"PRIMARY=YEAR;CLASS;CATEGORY;PERIOD_PART"});
  // Dropping it twice is an engine error that names the tag.
  ASSERT_ADS(Run(Lines({"DROP INDEX FW_LEVY.[PRIMARY]"})));
  EXPECT_EQ(Run(Lines({"DROP INDEX FW_LEVY.[PRIMARY]"})), code::kIndexNotFound);
  EXPECT_NE(LastErrorText().find("PRIMARY"), std::string::npos) << LastErrorText();
}

TEST_F(ToolStatementsRun, ForcedCreationDropsTables) {
  for (const char* name : {"AD_TEMP", "SETTLEMENT", "IRASDIAGNOSTIC"}) {
    SCOPED_TRACE(name);
    Make({name, "CODE,Char,4;NOTE,Memo;", {{"A", "memo text"}}, {{"CODE", "CODE"}}});
    AdsHandle s = Statement();
    ASSERT_ADS(AdsExecuteSQLDirect(s, "DROP TABLE [" + std::string(name) + "];", nullptr));
    for (const char* ext : {".ADT", ".ADM", ".ADI"})
      EXPECT_FALSE(std::filesystem::exists(dir.Path() / (std::string(name) + ext))) << ext;
    // A second drop finds no table.
    EXPECT_EQ(AdsExecuteSQLDirect(s, "DROP TABLE [" + std::string(name) + "];", nullptr), code::kSqlUnknownTable);
  }
}

// The nationality seeding: one INSERT without a column list per row; texts keep commas, lower-case letters and
// a country of exactly 40 characters.
TEST_F(ToolStatementsRun, NationalitySeedingInserts) {
  Make({"IRAS_NAT_2007", "CODE,Char,3;NATIONALITY,Char,40;COUNTRY,Char,40;", {}});
  const std::vector<std::vector<std::string>> rows = {
      {"101", "BELGIAN", "BELGIUM"},
      {"113", "BRITISH, CHANNELl ISLAND", "ISLAND OF GUERNSEY, CHANNEL ISLANDS, U.K"},
      {"422", "IVORY COAST", "COTE DIVOIRE"},
      {"999", "OTHERS", "OTHERS"},
  };
  std::vector<std::string> expected{"CODE Char(3)|NATIONALITY Char(40)|COUNTRY Char(40)"};
  for (const auto& row : rows) {
    ASSERT_ADS(Run(Lines({"INSERT INTO IRAS_NAT_2007 VALUES( '" + row[0] + "', '" + row[1] + "', '" + row[2] + "' ) "})));
    EXPECT_EQ(Count(statement), 1u);
    expected.push_back(row[0] + "|" + row[1] + "|" + row[2]);
  }
  EXPECT_EQ(Contents("IRAS_NAT_2007"), expected);
}

// The CPF rate loader: count the rows of a key with parameters, insert when there is none, count again.
TEST_F(ToolStatementsRun, CpfRateInsertIfAbsent) {
  const std::string insert = kv::testing::CpfRateInsertText();
  const std::string count = kv::testing::CpfRateCountText();
  // The table: the five key texts, then every other column a money amount, as the insert names them.
  const sql::Statement parsed = sql::Parse(insert);
  const auto& columns = std::get<sql::InsertStatement>(parsed.body).columns;
  std::string fields = "YEAR,Char,4;CPF_CAT,Char,2;CPF_AGE_TYPE,Char,2;AGE_CODE,Char,4;DESC,Char,40;";
  for (std::size_t i = 5; i < columns.size(); ++i) fields += columns[i].text + ",CurDouble,6;";
  Make({"CPFNEW2", fields, {}, {{"KEY", "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM"}}});

  auto countOf = [&](const std::string& ageType) -> std::string {
    AdsHandle cursor = 0;
    EXPECT_ADS(Run(count, {{"sYEAR", Value::String("2013")}, {"sCPF_CAT", Value::String("A")},
                           {"sCPF_AGE_TYPE", Value::String(ageType)}, {"nAGE_FROM", Value::Double(50)}},
                   &cursor));
    if (cursor == 0) return "no cursor";
    const std::vector<std::string> rows = RowsOf(cursor);
    EXPECT_EQ(Header(cursor), "RecAmt Integer");
    AdsCloseTable(cursor);
    return rows.size() == 1 ? rows[0] : "rows: " + std::to_string(rows.size());
  };
  EXPECT_EQ(countOf(""), "0");

  const AdsHandle s = Statement();
  ASSERT_ADS(AdsPrepareSQL(s, insert));
  std::vector<std::string> names;
  ASSERT_ADS(AdsGetParameterNames(s, &names));
  ASSERT_EQ(names.size(), columns.size());
  double n = 0;
  for (const std::string& name : names) {
    Value v = name[0] == 's' ? Value::String(name == "sYEAR" ? "2013" : name == "sCPF_CAT" ? "A" : name == "sCPF_AGE_TYPE" ? "" : name.substr(1))
                             : Value::Double(name == "nAGE_FROM" ? 50 : n += 0.5);
    ASSERT_ADS(AdsSetParameter(s, ":" + name, v));
  }
  AdsHandle none = 1;
  ASSERT_ADS(AdsExecuteSQL(s, &none));
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(Count(s), 1u);
  // An empty text parameter stored as an empty text, not NULL: the next count with '' finds the row.
  EXPECT_EQ(countOf(""), "1");
  EXPECT_EQ(countOf("X"), "0");
  const std::vector<std::string> rows = Contents("CPFNEW2");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].substr(0, 27), "2013|A||AGE_|DESC|50|0.5|1|");  // AGE_CODE cut to its four characters
  EXPECT_EQ(rows[1].substr(rows[1].size() - 8), "|21|21.5") << rows[1];  // the last two money columns
}

}  // namespace
}  // namespace ace::testing
