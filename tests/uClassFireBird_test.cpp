// The database module: the configuration cases with the trace lines each
// leaves, the deferred connection, the query helpers and the text helpers.
// The executable's path and the configuration file come from an in-memory
// environment; the database is a real embedded one.
#include "data/uClassFireBird.h"

#include <gtest/gtest.h>

#include "data/uClassControle.h"
#include "port/MemEnv.h"
#include "support/FirebirdFixture.h"
#include "support/TestText.h"
#include "tracelog/LogNFe.h"

namespace {

using data::TFireBird;

constexpr const char* cIni = "/opt/velmora/caminhoBDQuindar.ini";

class TFireBirdTest : public ::testing::Test {
 protected:
  // The process's log, opened as start-up opens it before the module exists.
  void SetUp() override {
    vEnv.vExePath = "/opt/velmora/velmora.cgi";
    tracelog::PCriaLog("", "S");
    testsupport::PUseFirebirdRoot();
  }

  // "[sender] message" of every line written so far, banners left out.
  std::vector<std::string> FLogLines() {
    return testsupport::FSenderLines(vEnv.FFile(tracelog::FRetornaLog().FFileName()), false);
  }

  port::TMemEnv vEnv;
  tracelog::TProcessLog vLog{vEnv};
};

const std::string cBuscando = "[TFireBird] Buscando arquivo de configura\xE7\xE3o: caminhoBDQuindar.ini";

TEST_F(TFireBirdTest, CompleteFileThroughTheController) {
  testsupport::TTempDatabase vDatabase("CREATE TABLE T (A VARCHAR(5));\nINSERT INTO T VALUES ('um');\n");
  vEnv.PSetFile(cIni, "[DATABASE]\r\nCAMINHO=" + vDatabase.FPath() + "\r\nUSUARIO=SYSDBA\r\nSENHA=masterkey\r\n");
  data::TControle vControle;
  std::unique_ptr<data::TDMBancoDeDados> vModulo = vControle.FRetornaBancoDeDados(vEnv);
  auto& vFireBird = dynamic_cast<TFireBird&>(*vModulo);

  EXPECT_EQ(FLogLines(), (std::vector<std::string>{
                             "[TControle] Entrando no procedimento: FRetornaBancoDeDados",
                             "[TFireBird] Entrando no procedimento: FRetornaBancoDeDados",
                             cBuscando,
                             "[TFireBird] Retornando dados: CAMINHO: " + vDatabase.FPath(),
                             "[TFireBird] Retornando dados: USUARIO: SYSDBA",
                             "[TFireBird] Retornando dados: SENHA: ****",
                         }));
  EXPECT_TRUE(tracelog::FRetornaLog().FEnabled());
  const data::TSQLConnection& c = *vFireBird.vConexao;
  EXPECT_EQ(c.FParams(), (std::vector<std::pair<std::string, std::string>>{
                             {"Database", vDatabase.FPath()}, {"User_Name", "SYSDBA"}, {"PassWord", "masterkey"}}));
  EXPECT_EQ(c.FDriverName(), "InterBase");
  EXPECT_EQ(c.FName(), "CnResulth");
  EXPECT_FALSE(c.FLoginPrompt());
  // Nothing attaches until a statement needs the database.
  EXPECT_FALSE(c.FConnected());

  std::unique_ptr<data::TSQLQuery> q;
  vFireBird.PCriaTSQLQuery(q);
  q->SQL.Add("select A from T");
  q->Open();
  EXPECT_EQ(q->FieldByName("A").AsString(), "um");
  EXPECT_TRUE(c.FConnected());
  vFireBird.PDestroyTSQLQuery(q);
  EXPECT_EQ(q, nullptr);

  // The defaults of the abstract module (TFireBird overrides all five).
  data::TDMBancoDeDados vPadrao;
  data::TChavePedido vChave;
  EXPECT_EQ(vPadrao.FRetornaPedidoCabecalho(&vChave), "");
  EXPECT_EQ(vPadrao.FRetornaPedidoItem(&vChave), "");
  EXPECT_TRUE(vPadrao.FAtualizaStatusPedido(&vChave));
  EXPECT_EQ(vPadrao.FRetornaColConvenios(nullptr), "");
  EXPECT_EQ(vPadrao.FRetornaColFinancimentos(nullptr), "");
}

TEST_F(TFireBirdTest, MissingFileLeavesTwoLinesAndFailsAtTheFirstStatement) {
  TFireBird vFireBird(vEnv);
  EXPECT_EQ(FLogLines(), (std::vector<std::string>{"[TFireBird] Entrando no procedimento: FRetornaBancoDeDados",
                                                   cBuscando}));
  EXPECT_TRUE(vFireBird.vConexao->FParams().empty());
  std::unique_ptr<data::TSimpleDataSet> s;
  vFireBird.PCriaTSimpleDataSet(s);
  s->SQL.Add("select 1 from rdb$database");
  EXPECT_THROW(s->Open(), data::EDatabaseError);
  vFireBird.PDestroyTSimpleDataSet(s);
}

TEST_F(TFireBirdTest, MissingOrEmptyKeysAreLeftOut) {
  struct {
    const char* vIni;
    std::vector<std::pair<std::string, std::string>> vParams;
    const char* vSenhaLine;
  } const cCases[] = {
      {"[DATABASE]\nCAMINHO=/db/loja.fdb\nUSUARIO=SYSDBA\n",
       {{"Database", "/db/loja.fdb"}, {"User_Name", "SYSDBA"}},
       "[TFireBird] Retornando dados: SENHA: "},
      {"[DATABASE]\nCAMINHO=\nUSUARIO=SYSDBA\nSENHA=x\n",
       {{"User_Name", "SYSDBA"}, {"PassWord", "x"}},
       "[TFireBird] Retornando dados: SENHA: ****"},
  };
  for (const auto& c : cCases) {
    SetUp();
    vEnv.PSetFile(cIni, c.vIni);
    TFireBird vFireBird(vEnv);
    EXPECT_EQ(vFireBird.vConexao->FParams(), c.vParams) << c.vIni;
    EXPECT_EQ(FLogLines().back(), c.vSenhaLine) << c.vIni;
    if (!vFireBird.vConexao->FHasParam("Database")) {
      data::TSQLQuery q;
      q.PSetConnection(vFireBird.vConexao.get());
      q.SQL.Add("select 1 from rdb$database");
      EXPECT_THROW(q.Open(), data::EDatabaseError);
    }
  }
}

TEST_F(TFireBirdTest, IniReading) {
  const std::string vLong(3000, 'p');
  struct {
    std::string vIni;
    data::TBancoDeDados vExpected;
  } const cCases[] = {
      {"[database]\ncaminho =  srv:/db/a.fdb  \nUsuario\t=\tana\t\n", {"srv:/db/a.fdb", "ana", ""}},
      {"; comment\n[OUTRA]\nCAMINHO=no\n[ DATABASE ]\n  CAMINHO=sim\nCAMINHO=segundo\n", {"sim", "", ""}},
      {"[DATABASE]\nSENHA=a ;b=c\nUSUARIO=" + vLong + "\n", {"", vLong.substr(0, 2047), "a ;b=c"}},
      {"\xEF\xBB\xBF[DATABASE]\r\nCAMINHO=C:\\x\xE7.fdb\r\n", {"C:\\x\xE7.fdb", "", ""}},
      {"garbage without sections\n", {"", "", ""}},
  };
  for (const auto& c : cCases) {
    vEnv.PSetFile(cIni, c.vIni);
    TFireBird vFireBird(vEnv);
    const data::TBancoDeDados d = vFireBird.FRetornaBancoDeDados();
    EXPECT_EQ(d.Caminho, c.vExpected.Caminho) << c.vIni;
    EXPECT_EQ(d.Usuario, c.vExpected.Usuario) << c.vIni;
    EXPECT_EQ(d.Senha, c.vExpected.Senha) << c.vIni;
  }
  // The password never reaches the log.
  for (const std::string& vLine : FLogLines()) EXPECT_EQ(vLine.find("a ;b=c"), std::string::npos) << vLine;
}

TEST_F(TFireBirdTest, QueryHelpersTraceWithoutSender) {
  TFireBird vFireBird(vEnv);
  const std::size_t vBefore = FLogLines().size();
  std::unique_ptr<data::TSQLQuery> q;
  vFireBird.PDestroyTSQLQuery(q);
  vFireBird.PCriaTSQLQuery(q);
  EXPECT_EQ(q->FConnection(), vFireBird.vConexao.get());
  EXPECT_FALSE(q->FActive());
  vFireBird.PDestroyTSQLQuery(q);
  std::unique_ptr<data::TSimpleDataSet> s;
  vFireBird.PCriaTSimpleDataSet(s);
  EXPECT_EQ(s->FConnection(), vFireBird.vConexao.get());
  vFireBird.PDestroyTSimpleDataSet(s);
  vFireBird.PDestroyTSimpleDataSet(s);
  const std::vector<std::string> vLines = FLogLines();
  EXPECT_EQ(std::vector<std::string>(vLines.begin() + vBefore, vLines.end()),
            (std::vector<std::string>{"[*] Entrando no procedimento: PDestroyTSQLQuery",
                                      "[*] Entrando no procedimento: PCriaTSQLQuery",
                                      "[*] Entrando no procedimento: PDestroyTSQLQuery",
                                      "[*] Entrando no procedimento: PCriaTSimpleDataSet",
                                      "[*] Entrando no procedimento: PDestroyTSimpleDataSet",
                                      "[*] Entrando no procedimento: PDestroyTSimpleDataSet"}));
}

TEST(TFireBirdText, CompletaZerosAndTrocaPontoPorVirgula) {
  struct {
    const char* vTexto;
    std::size_t vTamanho;
    const char* vResult;
  } const cZeros[] = {
      {" 123 ", 8, "00000123"}, {"123456789", 8, "123456789"}, {"", 3, "000"}, {"\t7\r\n", 2, "07"}, {"1 2", 4, "01 2"},
  };
  for (const auto& c : cZeros) EXPECT_EQ(TFireBird::FCompletaZeros(c.vTexto, c.vTamanho), c.vResult) << c.vTexto;

  port::TMemEnv vEnv;
  tracelog::TProcessLog vLog(vEnv);
  TFireBird vFireBird(vEnv);
  struct {
    const char* vTexto;
    const char* vResult;
  } const cTroca[] = {{"1234.500", "1234,500"}, {"1.234.5", "1,234,5"}, {"12", "12"}, {"", ""}};
  for (const auto& c : cTroca) EXPECT_EQ(vFireBird.FTrocaPontoPorVirgula(c.vTexto), c.vResult) << c.vTexto;
}

}  // namespace
