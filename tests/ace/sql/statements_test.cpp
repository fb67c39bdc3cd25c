// Every statement text the upgrade tool sends to the engine, exactly as it sends it, parsed and checked for the
// tree it must give. Texts that the tool builds from pieces are assembled here the same way, with table and
// column names taken from the tool's own lists. A text set through a query's SQL lines is each line followed by
// "\r\n", as the query object joins them; a text the connection executes directly has no line break.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ace/core/error.h"
#include "ace/sql/parser.h"
#include "common/tool_statements.h"
#include "support/strings.h"

namespace ace::sql {
namespace {

using kv::testing::CpfRateCountText;
using kv::testing::CpfRateInsertText;
using kv::testing::Lines;

// The two statement lines of a column request: the table line, then the change.
std::string AlterText(const std::string& table, const std::string& change) {
  return Lines({"ALTER TABLE \"" + table + ".ADT\"", change});
}
std::string DropColumnText(const std::string& table, const std::string& column) {
  return Lines({"ALTER TABLE \"" + table + ".ADT\" ", "DROP column \"" + column + "\""});
}

// CREATE PROCEDURE as the tool assembles it from the parameter list split at "*".
std::string ProcedureText(const std::string& name, const std::string& entry, const std::string& params,
                          const std::string& library) {
  std::string text = "CREATE PROCEDURE " + name + "( ";
  std::size_t start = 0;
  bool first = true;
  for (std::size_t star = params.find('*'); star != std::string::npos; star = params.find('*', start)) {
    text += (first ? " " : ", ") + params.substr(start, star - start) + " ";
    first = false;
    start = star + 1;
  }
  text += ") ";
  text += " FUNCTION " + entry + " IN LIBRARY \"" + library + "\" ";
  return Lines({text});
}

struct Case {
  const char* where;  // the tool's step that sends it
  std::string text;
  std::string tree;   // Dump of the parsed statement
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // Start-up and run driver
      {"registry index", Lines({"Create Unique Index \"PRIMARY\" on mcompany( COMPANY_CODE )"}),
       "create unique index PRIMARY on mcompany (COMPANY_CODE)"},
      {"query DEL", Lines({"DELETE FROM QUERY WHERE CODE IS NULL"}), "delete from QUERY where (is-null CODE)"},
      {"national service query", Lines({"SELECT * FROM NSMAN WHERE NS_PSA_SERVICE='Y'"}),
       "select * from NSMAN where (= NS_PSA_SERVICE 'Y')"},
      {"salary total query", Lines({"SELECT SUM(NEW_SALARY) AS NEW FROM EMP_PROS"}),
       "select SUM(NEW_SALARY) as NEW from EMP_PROS"},
      {"claim query", Lines({"SELECT * FROM  MEDSCH"}), "select * from MEDSCH"},
      {"RBITEM ids", Lines({"UPDATE \"RBITEM.ADT\" SET ID = ItemId WHERE ID IS NULL"}),
       "update [RBITEM.ADT] set ID = ItemId where (is-null ID)"},
      {"RTABLE hide wage", Lines({"UPDATE RTABLE SET HIDE_WAGE ='T' WHERE DATABASE1='EMP_PROS' AND TYPE1='N' "}),
       "update RTABLE set HIDE_WAGE = 'T' where (and (= DATABASE1 'EMP_PROS') (= TYPE1 'N'))"},
      {"RTABLE width 60", Lines({"UPDATE RTABLE SET WIDTH =60 WHERE WIDTH=20 OR WIDTH=30 "}),
       "update RTABLE set WIDTH = 60 where (or (= WIDTH 20) (= WIDTH 30))"},
      {"RTABLE width 40", Lines({"UPDATE RTABLE SET WIDTH =40 WHERE FIELD='EMP_NAME'"}),
       "update RTABLE set WIDTH = 40 where (= FIELD 'EMP_NAME')"},
      {"training department", Lines({"UPDATE TRAINING SET DEPARTMENT = :DEPART WHERE DEPARTMENT IS NULL"}),
       "update TRAINING set DEPARTMENT = :DEPART where (is-null DEPARTMENT)"},
      {"MEDSCH index query", Lines({"SELECT * FROM MEDSCH"}), "select * from MEDSCH"},
      {"MEDSCH index",
       Lines({"Create Index \"  SCHEME_CODE2\" on MEDSCH(SCHEME_CODE,CLAIM_CODE,SUBCLAIM,CLAIMTYPE )"}),
       "create index [  SCHEME_CODE2] on MEDSCH (SCHEME_CODE, CLAIM_CODE, SUBCLAIM, CLAIMTYPE)"},
      {"time-clock procedure",
       ProcedureText("eQuillon", "ProcessTiming",
                     "company CHAR(255)*dd CHAR(2)*mm CHAR(2)*yy CHAR(4)*p_no CHAR(15)*emp_no CHAR(12)*err_no "
                     "CHAR(12) OUTPUT*",
                     "C:\\KV8\\eQuillon.aep"),
       "create procedure eQuillon (company Char(255), dd Char(2), mm Char(2), yy Char(4), p_no Char(15), "
       "emp_no Char(12), err_no Char(12) output) function ProcessTiming in library 'C:\\KV8\\eQuillon.aep'"},

      // Table creation: dropped when forced, executed directly on the connection
      {"drop AD_TEMP", "DROP TABLE [AD_TEMP];", "drop table AD_TEMP"},
      {"drop SETTLEMENT", "DROP TABLE [SETTLEMENT];", "drop table SETTLEMENT"},
      {"drop IRASDIAGNOSTIC", "DROP TABLE [IRASDIAGNOSTIC];", "drop table IRASDIAGNOSTIC"},

      // Column upgrades: every form of the add path, the change test and the drop
      {"add C", AlterText("EMPLOYEE", "add column FWL1TOFWL2 char(8)"),
       "alter table [EMPLOYEE.ADT] add FWL1TOFWL2 Char(8)"},
      {"add $", AlterText("PLACEMENT_SALARY", "add column BILLRATE curdouble "),
       "alter table [PLACEMENT_SALARY.ADT] add BILLRATE CurDouble"},
      {"add D", AlterText("EMPLOYEE", "add column ORIGINAL_HIRED_DATE date "),
       "alter table [EMPLOYEE.ADT] add ORIGINAL_HIRED_DATE Date"},
      {"add I", AlterText("TRAINING", "add column VALIDPERIOD INTEGER "),
       "alter table [TRAINING.ADT] add VALIDPERIOD Integer"},
      {"add L", AlterText("IR8APARA", "add column BOOLEAN1 LOGICAL "),
       "alter table [IR8APARA.ADT] add BOOLEAN1 Logical"},
      {"add T", AlterText("TSubstitute", "ADD column FMTIME TIME "), "alter table [TSubstitute.ADT] add FMTIME Time"},
      {"add B", AlterText("EMPLOYEE", "add column PHOTO BLOB "), "alter table [EMPLOYEE.ADT] add PHOTO Binary"},
      {"add Z", AlterText("WKLEAVE", "add column FORFEIT double "), "alter table [WKLEAVE.ADT] add FORFEIT Double"},
      {"add +", AlterText("EMPLEAVE", "add column AUTOINC AutoInc "),
       "alter table [EMPLEAVE.ADT] add AUTOINC AutoInc"},
      {"add path IC", AlterText("VACCINATION", "alter column FOOD_HANDLER \"FOOD_HANDLER\" char(1)"),
       "alter table [VACCINATION.ADT] alter FOOD_HANDLER FOOD_HANDLER Char(1)"},
      {"add path IC on DESC", AlterText("CODE", "alter column DESC \"DESC\" char(60)"),
       "alter table [CODE.ADT] alter DESC DESC Char(60)"},
      {"add path AI", AlterText("RBITEM", "alter column ID ID INTEGER "), "alter table [RBITEM.ADT] alter ID ID Integer"},
      {"change AS", AlterText("PASS", "alter column \"PRINTER\" \"PRINTER\" char(4)"),
       "alter table [PASS.ADT] alter PRINTER PRINTER Char(4)"},
      {"change IC on DESC", AlterText("CODE", "alter column \"DESC\" \"DESC\" char(60)"),
       "alter table [CODE.ADT] alter DESC DESC Char(60)"},
      {"change size 0 $", AlterText("ACHIEVE", "alter column AMOUNT AMOUNT curdouble"),
       "alter table [ACHIEVE.ADT] alter AMOUNT AMOUNT CurDouble"},
      {"change size 0 D", AlterText("MEMBER", "alter column EXPIRY_DATE EXPIRY_DATE date"),
       "alter table [MEMBER.ADT] alter EXPIRY_DATE EXPIRY_DATE Date"},
      {"change size 0 I", AlterText("GLCODE", "alter column SEQ SEQ INTEGER"),
       "alter table [GLCODE.ADT] alter SEQ SEQ Integer"},
      {"change size 0 L", AlterText("PASS", "alter column LOCKED LOCKED Logical"),
       "alter table [PASS.ADT] alter LOCKED LOCKED Logical"},
      {"change size 0 B", AlterText("MEDICAL", "alter column NOTE NOTE BLOB"),
       "alter table [MEDICAL.ADT] alter NOTE NOTE Binary"},
      {"change size 0 T", AlterText("TRAINING", "alter column TIMEIN TIMEIN TIME"),
       "alter table [TRAINING.ADT] alter TIMEIN TIMEIN Time"},
      {"drop DESC", DropColumnText("CLAIMGRP", "DESC"), "alter table [CLAIMGRP.ADT] drop DESC"},
      // Requests of the lists whose column or table is a word of the language elsewhere
      {"PAYPARA2 TYPE", AlterText("PAYPARA2", "add column TYPE char(3)"), "alter table [PAYPARA2.ADT] add TYPE Char(3)"},
      {"QUERYHD OPTION", AlterText("QUERYHD", "add column OPTION char(4)"),
       "alter table [QUERYHD.ADT] add OPTION Char(4)"},
      {"QUERY USERID", AlterText("QUERY", "add column USERID char(8)"), "alter table [QUERY.ADT] add USERID Char(8)"},
      {"CODE LOCK", AlterText("CODE", "add column LOCK char(1)"), "alter table [CODE.ADT] add LOCK Char(1)"},
      {"PUBLIC STATE", AlterText("PUBLIC", "add column STATE char(8)"), "alter table [PUBLIC.ADT] add STATE Char(8)"},
      {"GLCOST LINE", AlterText("GLCOST", "add column LINE INTEGER "), "alter table [GLCOST.ADT] add LINE Integer"},
      {"JOB_HIS CURRENCY", AlterText("JOB_HIS", "add column CURRENCY char(8)"),
       "alter table [JOB_HIS.ADT] add CURRENCY Char(8)"},
      {"RTPHD EXCLUSIVE", AlterText("RTPHD", "add column EXCLUSIVE char(1)"),
       "alter table [RTPHD.ADT] add EXCLUSIVE Char(1)"},
      {"EMP_PROS PERCENT", AlterText("EMP_PROS", "add column PERCENT curdouble "),
       "alter table [EMP_PROS.ADT] add PERCENT CurDouble"},
      {"GLCODE CONTROL", AlterText("GLCODE", "add column CONTROL char(1)"),
       "alter table [GLCODE.ADT] add CONTROL Char(1)"},
      {"EMPSERV UNIT", AlterText("EMPSERV", "add column UNIT char(8)"), "alter table [EMPSERV.ADT] add UNIT Char(8)"},
      {"BONUS TOTAL", AlterText("BONUS", "add column TOTAL curdouble "), "alter table [BONUS.ADT] add TOTAL CurDouble"},
      {"PASS BACKUP", AlterText("PASS", "add column BACKUP char(1)"), "alter table [PASS.ADT] add BACKUP Char(1)"},
      {"SETUP ALIAS", AlterText("SETUP", "add column ALIAS char(30)"), "alter table [SETUP.ADT] add ALIAS Char(30)"},
      {"EMPLEAVE cdoff", AlterText("EMPLEAVE", "add column cdoff char(12)"),
       "alter table [EMPLEAVE.ADT] add cdoff Char(12)"},
      {"table named in Edit4", AlterText("employee", "add column SUPERVISOR_CODE char(12)"),
       "alter table [employee.ADT] add SUPERVISOR_CODE Char(12)"},

      // Fills of new columns
      {"YTDEMPL fill", Lines({"UPDATE YTDEMPL SET ORI_OWWAGE=CPFOWWAGE,ORI_AWWAGE=CPFAWWAGE  WHERE ORI_OWWAGE IS NULL"}),
       "update YTDEMPL set ORI_OWWAGE = CPFOWWAGE, ORI_AWWAGE = CPFAWWAGE where (is-null ORI_OWWAGE)"},
      {"bank amount fill", Lines({"UPDATE P_htrx SET BANKAMT = nett_wage WHERE BANKAMT IS NULL"}),
       "update P_htrx set BANKAMT = nett_wage where (is-null BANKAMT)"},
      {"salary integrity", Lines({"SELECT SUM(NEW_SALARY) AS NEW FROM \"EMP_PROS.ADT\""}),
       "select SUM(NEW_SALARY) as NEW from [EMP_PROS.ADT]"},
      {"CODE map field", Lines({"UPDATE \"CODE.ADT\" SET MAPFIELD = N1CLAIM WHERE MAPFIELD IS NULL"}),
       "update [CODE.ADT] set MAPFIELD = N1CLAIM where (is-null MAPFIELD)"},
      {"CODE long description", Lines({"UPDATE \"CODE.ADT\" SET LONG_DESC = \"DESC\" WHERE LONG_DESC IS NULL"}),
       "update [CODE.ADT] set LONG_DESC = DESC where (is-null LONG_DESC)"},
      {"EMP_PROS grade", Lines({"UPDATE \"EMP_PROS.ADT\" SET GRADE =:GRADE  WHERE GRADE IS NULL"}),
       "update [EMP_PROS.ADT] set GRADE = :GRADE where (is-null GRADE)"},

      // Index upgrade
      {"index upgrade FREEFIELD", Lines({"Create Index \"CTLFIELD\" on FREEFIELD(MODULE,LINE,CTLFIELD)"}),
       "create index CTLFIELD on FREEFIELD (MODULE, LINE, CTLFIELD)"},
      {"index upgrade APPD8B", Lines({"Create Index \"INC_NO\" on APPD8B(INC_NO)"}),
       "create index INC_NO on APPD8B (INC_NO)"},
      {"index upgrade RPTRX", Lines({"Create Index \"PAYCODE\" on RPTRX(EMPCODE,PAYCODE,PERIOD,CYCLE)"}),
       "create index PAYCODE on RPTRX (EMPCODE, PAYCODE, PERIOD, CYCLE)"},
      {"index upgrade RBFIELD", Lines({"Create Index \"TABLENAME\" on RBFIELD(TABLENAME,FIELDNAME)"}),
       "create index TABLENAME on RBFIELD (TABLENAME, FIELDNAME)"},
      {"index upgrade LEAVE_TRX1", Lines({"Create Index \"LEAVE_TRX1\" on LEAV_TRX( LEAVE_CODE,EMPCODE,\"DATE\",ID)"}),
       "create index LEAVE_TRX1 on LEAV_TRX (LEAVE_CODE, EMPCODE, DATE, ID)"},
      {"index upgrade RBTABLE", Lines({"Create Index \"TABLENAME\" on RBTABLE(TABLENAME)"}),
       "create index TABLENAME on RBTABLE (TABLENAME)"},
      {"index upgrade PQUERY", Lines({"Create Index \"CODE2\" on PQUERY(CODE,QTYPE,ID)"}),
       "create index CODE2 on PQUERY (CODE, QTYPE, ID)"},
      {"index upgrade LIEUTRX1", Lines({"Create Index \"EMP_NO2\" on LIEUTRX1(EMP_NO,LEAVE_CODE,TRX_DATE,TRXID)"}),
       "create index EMP_NO2 on LIEUTRX1 (EMP_NO, LEAVE_CODE, TRX_DATE, TRXID)"},
      {"index upgrade LEAV_TRX", Lines({"Create Index \"EMP_NO\" on LEAV_TRX(LEAVE_CODE,EMPCODE,\"DATE\",ID)"}),
       "create index EMP_NO on LEAV_TRX (LEAVE_CODE, EMPCODE, DATE, ID)"},
      {"index upgrade CODE", Lines({"Create Index \"CATDESC\" on CODE(CATEGORY,\"DESC\")"}),
       "create index CATDESC on CODE (CATEGORY, DESC)"},
      {"index upgrade IR8AR", Lines({"Create Index \"PRIMARY1\" on IR8AR(USERID,EMPCODE,TYPE )"}),
       "create index PRIMARY1 on IR8AR (USERID, EMPCODE, TYPE)"},
      {"index upgrade MEDICAL", Lines({"Create Index \"BNO\" on MEDICAL(EMPCODE,BNO )"}),
       "create index BNO on MEDICAL (EMPCODE, BNO)"},
      {"index upgrade ALLOWNCE", Lines({"Create Index \"RPTCODE\" on ALLOWNCE( YEAR,RPTCODE )"}),
       "create index RPTCODE on ALLOWNCE (YEAR, RPTCODE)"},
      {"index upgrade GLCOST", Lines({"Create Index \"  LINE\" on GLCOST(LINE)"}),
       "create index [  LINE] on GLCOST (LINE)"},
      {"index upgrade PASSWORK", Lines({"Create Index \"MENU1\" on PASSWORK(\"USER\",MENU)"}),
       "create index MENU1 on PASSWORK (USER, MENU)"},
      {"index upgrade APPR", Lines({"Create Index \"EMPLOYEE\" on APPR(EMP_CODE)"}),
       "create index EMPLOYEE on APPR (EMP_CODE)"},
      {"index upgrade P_HIST1", Lines({"Create Index \"P_HIST\" on P_HIST1(USERID,EMPCODE,ID,ALW_CODE,DESC01)"}),
       "create index P_HIST on P_HIST1 (USERID, EMPCODE, ID, ALW_CODE, DESC01)"},
      {"index upgrade APPRDTL", Lines({"Create Index \"EMPLOYEE1\" on APPRDTL(EMPCODE,ID,SECTION)"}),
       "create index EMPLOYEE1 on APPRDTL (EMPCODE, ID, SECTION)"},
      {"index upgrade APP_GRADE_SETUP", Lines({"Create Index \"FROMMARK\" on APP_GRADE_SETUP(JOB_GRADE,FROMMARK)"}),
       "create index FROMMARK on APP_GRADE_SETUP (JOB_GRADE, FROMMARK)"},
      {"index upgrade LEAVESET", Lines({"Create Index \"PERIOD1\" on LEAVESET(PERIOD,SCHEME)"}),
       "create index PERIOD1 on LEAVESET (PERIOD, SCHEME)"},
      {"index upgrade PAYCODE1",
       Lines({"Create Index \"PAYCODE1\" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE1)"}),
       "create index PAYCODE1 on P_HIST4 (USERID, DEPT_CODE, CST_CODE, CAT_CODE, PAYCODE1)"},
      {"index upgrade PAYCODE2",
       Lines({"Create Index \"PAYCODE2\" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE2)"}),
       "create index PAYCODE2 on P_HIST4 (USERID, DEPT_CODE, CST_CODE, CAT_CODE, PAYCODE2)"},
      {"index upgrade ID", Lines({"Create Index \"ID\" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE2,ID)"}),
       "create index ID on P_HIST4 (USERID, DEPT_CODE, CST_CODE, CAT_CODE, PAYCODE2, ID)"},

      // CPF rates
      {"CPFNEW2 count",
       CpfRateCountText(),
       "select COUNT(*) as RecAmt from CPFNEW2 where (and (and (and (= YEAR :sYEAR) (= CPF_CAT :sCPF_CAT)) "
       "(= CPF_AGE_TYPE :sCPF_AGE_TYPE)) (= AGE_FROM :nAGE_FROM))"},
      {"CPFNEW2 insert",
       CpfRateInsertText(),
       "insert into CPFNEW2 (YEAR, CPF_CAT, CPF_AGE_TYPE, AGE_CODE, DESC, AGE_FROM, AGE_TO, SALARY_FROM1, SALARY_TO1, "
       "SALARY_FROM2, SALARY_TO2, SALARY_FROM3, SALARY_TO3, SALARY_FROM4, SALARY_TO4, SALARY_FROM5, SALARY_TO5, "
       "S5_AW_EE, S5_AW_ER, [S1_ER%], S1_MINUS_EE, S1_MINUS_ER, S1_ADD_EE, S1_ADD_ER, [S2_ER%], S2_MINUS_EE, "
       "S2_MINUS_ER, S2_ADD_EE, S2_ADD_ER, [S1_EE%], [S2_EE%], [S3_EE%], [S4_EE%], [S3_ER%], S5_EE_OW, S5_ER_OW, "
       "[S4_ER%], S3_MINUS_EE, S4_MINUS_EE, S3_MINUS_ER, S4_MINUS_ER, S3_ADD_EE, S4_ADD_EE, S3_ADD_ER, S4_ADD_ER, "
       "S5_MAXWAGE_EE, S5_MAXWAGE_ER, [EMP_R%1], [EMP_E%1]) values (:sYEAR, :sCPF_CAT, :sCPF_AGE_TYPE, :sAGE_CODE, "
       ":sDESC, :nAGE_FROM, :nAGE_TO, :nSALARY_FROM1, :nSALARY_TO1, :nSALARY_FROM2, :nSALARY_TO2, :nSALARY_FROM3, "
       ":nSALARY_TO3, :nSALARY_FROM4, :nSALARY_TO4, :nSALARY_FROM5, :nSALARY_TO5, :nS5_AW_EE, :nS5_AW_ER, "
       ":nS1_ERPercent, :nS1_MINUS_EE, :nS1_MINUS_ER, :nS1_ADD_EE, :nS1_ADD_ER, :nS2_ERPercent, :nS2_MINUS_EE, "
       ":nS2_MINUS_ER, :nS2_ADD_EE, :nS2_ADD_ER, :nS1_EEPercent, :nS2_EEPercent, :nS3_EEPercent, :nS4_EEPercent, "
       ":nS3_ERPercent, :nS5_EE_OW, :nS5_ER_OW, :nS4_ERPercent, :nS3_MINUS_EE, :nS4_MINUS_EE, :nS3_MINUS_ER, "
       ":nS4_MINUS_ER, :nS3_ADD_EE, :nS4_ADD_EE, :nS3_ADD_ER, :nS4_ADD_ER, :nS5_MAXWAGE_EE, :nS5_MAXWAGE_ER, "
       ":nEMP_RPercent1, :nEMP_EPercent1)"},

      // Levy table preparation and loader
      {"levy period part", Lines({"UPDATE FW_LEVY SET PERIOD_PART='1' WHERE PERIOD_PART IS NULL"}),
       "update FW_LEVY set PERIOD_PART = '1' where (is-null PERIOD_PART)"},
      {"levy index drop", Lines({"DROP INDEX FW_LEVY.[PRIMARY]"}), "drop index FW_LEVY.PRIMARY"},
      {"levy index", Lines({"CREATE INDEX [PRIMARY] ON FW_LEVY (YEAR,CLASS,CATEGORY,PERIOD_PART)"}),
       "create index PRIMARY on FW_LEVY (YEAR, CLASS, CATEGORY, PERIOD_PART)"},
      {"levy query", Lines({"SELECT * FROM FW_LEVY "}), "select * from FW_LEVY"},

      // Conversions
      {"cost centre", Lines({"UPDATE EMP_PROS SET COST_CENTRE=COST_CENTRE_CODE FROM EMPLOYEE ",
                             "WHERE EMPLOYEE.EMP_NO=EMP_PROS.EMP_CODE  "}),
       "update EMP_PROS set COST_CENTRE = COST_CENTRE_CODE from EMPLOYEE where (= EMPLOYEE.EMP_NO EMP_PROS.EMP_CODE)"},
      {"benefit schemes", Lines({"SELECT BENEFIT_SCHEME  FROM EMPLOYEE GROUP BY BENEFIT_SCHEME"}),
       "select BENEFIT_SCHEME from EMPLOYEE group by BENEFIT_SCHEME"},
      {"occupation codes", Lines({"SELECT DISTINCT OCCUPATION_CODE FROM FAMILY "}),
       "select distinct OCCUPATION_CODE from FAMILY"},
      {"contact relations", Lines({"SELECT DISTINCT EMG_CONTACT_RELATION FROM EMPLOYEE "}),
       "select distinct EMG_CONTACT_RELATION from EMPLOYEE"},
      {"leave entitlements", Lines({"UPDATE EMPENT SET CURRENT=0"}), "update EMPENT set CURRENT = 0"},
  };
  return cases;
}

using kv::testing::kSampleNationalities;
using kv::testing::Nationality;

std::string LineFeedsOnly(const std::string& text) { return kv::ReplaceAll(text, "\r\n", "\n"); }

TEST(ToolStatements, EachTextGivesItsTree) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.where);
    try {
      EXPECT_EQ(Dump(Parse(c.text)), c.tree);
      // The same lines joined by plain line feeds give the same tree.
      EXPECT_EQ(Dump(Parse(LineFeedsOnly(c.text))), c.tree);
    } catch (const AceError& e) {
      ADD_FAILURE() << e.what() << "\n" << c.text;
    }
  }
}

TEST(ToolStatements, NationalitySeedingInserts) {
  for (const Nationality& n : kSampleNationalities) {
    SCOPED_TRACE(n.code);
    const std::string text = Lines({"INSERT INTO IRAS_NAT_2007 VALUES( '" + std::string(n.code) + "', '" +
                                    n.nationality + "', '" + n.country + "' ) "});
    const Statement s = Parse(text);
    ASSERT_EQ(s.Kind(), StatementKind::Insert);
    EXPECT_EQ(Dump(s), "insert into IRAS_NAT_2007 values ('" + std::string(n.code) + "', '" + n.nationality +
                           "', '" + n.country + "')");
    const auto& insert = std::get<InsertStatement>(s.body);
    ASSERT_EQ(insert.values.size(), 3u);
    EXPECT_EQ(std::get<Literal>(insert.values[2]->node).value, Value::String(n.country));
  }
}

// The column upgrade statements name their table in double quotes with the extension; the executor strips it,
// so the tree must keep the text as written, and the type word as the tool wrote it.
TEST(ToolStatements, ColumnRequestsKeepNamesAndTypeWords) {
  const Statement add = Parse(AlterText("PLACEMENT_SALARY", "add column BILLRATE curdouble "));
  const auto& alter = std::get<AlterTableStatement>(add.body);
  EXPECT_EQ(alter.table.name, "PLACEMENT_SALARY.ADT");
  ASSERT_EQ(alter.actions.size(), 1u);
  EXPECT_EQ(alter.actions[0].kind, AlterAction::Kind::Add);
  EXPECT_EQ(alter.actions[0].column.text, "BILLRATE");
  EXPECT_FALSE(alter.actions[0].column.quoted);
  EXPECT_EQ(alter.actions[0].type.type, FieldType::CurDouble);
  EXPECT_EQ(alter.actions[0].type.word, "curdouble");
  EXPECT_EQ(alter.actions[0].pos, (Position{2, 1, 36}));

  const Statement change = Parse(AlterText("PASS", "alter column \"PRINTER\" \"PRINTER\" char(4)"));
  const AlterAction& a = std::get<AlterTableStatement>(change.body).actions.at(0);
  EXPECT_EQ(a.kind, AlterAction::Kind::Alter);
  EXPECT_TRUE(a.column.quoted);
  EXPECT_EQ(a.newName.text, "PRINTER");
  EXPECT_EQ(a.type.type, FieldType::Char);
  EXPECT_EQ(a.type.length, 4);

  const Statement index = Parse(Lines({"Create Index \"  LINE\" on GLCOST(LINE)"}));
  const auto& create = std::get<CreateIndexStatement>(index.body);
  EXPECT_EQ(create.index.text, "  LINE");
  EXPECT_FALSE(create.unique);
  EXPECT_EQ(create.table.name, "GLCOST");
}

TEST(ToolStatements, UnquotedExtensionAndBracketedPartsKeepTheTableText) {
  const Statement plain = Parse("UPDATE EMP_PROS.ADT SET GRADE = 'A'");
  EXPECT_EQ(std::get<UpdateStatement>(plain.body).table.name, "EMP_PROS.ADT");
  const Statement drop = Parse("DROP INDEX [EMP_PROS].[PRIMARY]");
  const auto& d = std::get<DropIndexStatement>(drop.body);
  EXPECT_EQ(d.table.name, "EMP_PROS");
  EXPECT_EQ(d.index.text, "PRIMARY");
  EXPECT_TRUE(d.index.quoted);
  const ExprPtr qualified = ParseExpression("\"EMP_PROS.ADT\".EMP_CODE = [EMPLOYEE].EMP_NO");
  EXPECT_EQ(Dump(*qualified), "(= [EMP_PROS.ADT].EMP_CODE EMPLOYEE.EMP_NO)");
}

TEST(ToolStatements, PositionsPointAtTheWrittenText) {
  const Statement s = Parse(Lines({"UPDATE EMP_PROS SET COST_CENTRE=COST_CENTRE_CODE FROM EMPLOYEE ",
                                   "WHERE EMPLOYEE.EMP_NO=EMP_PROS.EMP_CODE  "}));
  const auto& update = std::get<UpdateStatement>(s.body);
  EXPECT_EQ(update.table.pos, (Position{1, 8, 7}));
  EXPECT_EQ(update.assignments.at(0).pos, (Position{1, 21, 20}));
  EXPECT_EQ(update.from.at(0).pos, (Position{1, 55, 54}));
  const auto& condition = std::get<Binary>(update.where->node);
  EXPECT_EQ(update.where->pos.line, 2);
  EXPECT_EQ(update.where->pos.column, 22);  // the "=" operator
  EXPECT_EQ(condition.left->pos.column, 7);
  EXPECT_EQ(condition.right->pos.column, 23);
}

TEST(ToolStatements, ParameterNamesInOrderOnceEach) {
  const Statement count = Parse(Lines({"SELECT COUNT(*) AS RecAmt FROM CPFNEW2 ",
                                       "WHERE YEAR=:sYEAR AND CPF_CAT=:sCPF_CAT AND CPF_AGE_TYPE=:sCPF_AGE_TYPE AND "
                                       "AGE_FROM=:nAGE_FROM;"}));
  EXPECT_EQ(ParameterNames(count), (std::vector<std::string>{"sYEAR", "sCPF_CAT", "sCPF_AGE_TYPE", "nAGE_FROM"}));
  const Statement twice = Parse("UPDATE T SET A = :Depart WHERE B = :DEPART OR C = :other");
  EXPECT_EQ(ParameterNames(twice), (std::vector<std::string>{"Depart", "other"}));
}

// Whatever a text is cut to, the parser answers with a tree or an engine error, never anything else.
TEST(ToolStatements, EveryCutOfEveryTextFailsCleanly) {
  for (const Case& c : Cases()) {
    for (std::size_t n = 0; n < c.text.size(); ++n) {
      try {
        Parse(std::string_view(c.text).substr(0, n));
      } catch (const AceError& e) {
        EXPECT_TRUE(e.Code() == code::kSqlSyntax || e.Code() == code::kSqlUnsupported) << e.what();
      }
    }
  }
}

}  // namespace
}  // namespace ace::sql
