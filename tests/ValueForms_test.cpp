// The document value forms, checked on numbers and dates as the database
// delivers them: NUMERIC(15,2) (a double in dialect 1), NUMERIC(9,3) (a
// scaled integer) and DOUBLE PRECISION columns of a real database.
#include "data/ValueForms.h"

#include <gtest/gtest.h>

#include "data/SQLQuery.h"
#include "support/FirebirdFixture.h"

namespace {

TEST(ValueForms, AmountsFromRealColumns) {
  struct {
    const char* vColumn;
    const char* vLiteral;  // as inserted; NULL for a null value
    const char* vAmount;
  } const cCases[] = {
      {"DP", "1.2345", "1,235"},       {"DP", "1.2355", "1,236"},     {"DP", "1.0005", "1,001"},
      {"DP", "2.6745", "2,675"},       {"DP", "-2.6745", "-2,675"},   {"DP", "-0.0005", "-0,001"},
      {"DP", "0.0004", "0,000"},       {"DP", "-0.0004", "0,000"},    {"DP", "0", "0,000"},
      {"DP", "0.9995", "1,000"},       {"DP", "999999999.9995", "1000000000,000"},
      {"DP", "1.0E20", "100000000000000000000,000"},                  {"DP", "NULL", "0,000"},
      {"N", "1234.5", "1234,500"},     {"N", "-0.01", "-0,010"},      {"N", "9999999999999.99", "9999999999999,990"},
      {"N", "NULL", "0,000"},          {"N3", "-12.345", "-12,345"},  {"N3", "0.5", "0,500"},
  };
  std::string vScript = "CREATE TABLE A (ID INTEGER, N NUMERIC(15,2), N3 NUMERIC(9,3), DP DOUBLE PRECISION);\n";
  for (std::size_t i = 0; i < std::size(cCases); ++i)
    vScript += "INSERT INTO A (ID, " + std::string(cCases[i].vColumn) + ") VALUES (" + std::to_string(i) + ", " +
               cCases[i].vLiteral + ");\n";
  testsupport::TTempDatabase vDatabase(vScript);
  data::TSQLConnection c;
  c.PSetParam("Database", vDatabase.FPath());
  data::TSQLQuery q;
  q.PSetConnection(&c);
  q.SQL.Add("select * from A order by ID");
  q.Open();
  for (const auto& vCase : cCases) {
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(data::FFormatAmount(q.FieldByName(vCase.vColumn).AsFloat()), vCase.vAmount)
        << vCase.vColumn << " " << vCase.vLiteral;
    q.Next();
  }
}

TEST(ValueForms, DatesAndIntegers) {
  testsupport::TTempDatabase vDatabase(
      "CREATE TABLE D (ID INTEGER, D DATE);\n"
      "INSERT INTO D VALUES (1, '2024-03-05 23:59:59');\nINSERT INTO D VALUES (2, NULL);\n"
      "INSERT INTO D VALUES (3, '0099-01-02');\n");
  data::TSQLConnection c;
  c.PSetParam("Database", vDatabase.FPath());
  data::TSQLQuery q;
  q.PSetConnection(&c);
  q.SQL.Add("select D from D order by ID");
  q.Open();
  std::vector<std::string> vDates;
  for (; !q.Eof(); q.Next()) vDates.push_back(data::FFormatDate(q.FieldByName("D").AsDateTime()));
  EXPECT_EQ(vDates, (std::vector<std::string>{"05/03/2024", "30/12/1899", "02/01/0099"}));
  EXPECT_EQ(data::FFormatInteger(-42), "-42");
  EXPECT_EQ(data::FFormatInteger(0), "0");
}

}  // namespace
