#include "data/uClassFireBird.h"

#include <ini.h>

#include <algorithm>
#include <charconv>
#include <vector>

#include "port/Env.h"
#include "port/Text.h"
#include "tracelog/LogNFe.h"

namespace data {

namespace {

constexpr const char* cArquivoConfiguracao = "caminhoBDQuindar.ini";
constexpr const char* cSecao = "DATABASE";
// The system's texts are 8-bit strings in the host code page (cp1252).
constexpr const char* cBuscandoArquivo = "Buscando arquivo de configura\xE7\xE3o: caminhoBDQuindar.ini";
// A configuration value is read up to this many characters.
constexpr std::size_t cMaxValor = 2047;
// The INI parser cuts lines at 200 bytes; every line handed to it is kept
// below that, the values themselves travel beside it.
constexpr std::size_t cMaxLinhaParser = 190;

// What the parser is given: every key line with its value replaced by a
// short token ("\x01" and the value's index), so that long values, blanks
// in front of a key (which the parser would take for a continued value) and
// ";" inside a value (a password, say) reach us as written, and the parser
// only settles sections, keys and comments. Section names lose the blanks
// inside their brackets.
struct TIniPreparado {
  std::string vTexto;
  std::vector<std::string> vValores;
};

TIniPreparado FPreparaIni(const std::string& pConteudo) {
  TIniPreparado vResult;
  // Line by line, as getline would split it (no stream: it would set up
  // the whole locale machinery for a request that may never need it).
  std::size_t vInicio = 0;
  while (vInicio < pConteudo.size()) {
    std::size_t vFim = pConteudo.find('\n', vInicio);
    if (vFim == std::string::npos) vFim = pConteudo.size();
    const std::string_view vLinha(pConteudo.data() + vInicio, vFim - vInicio);
    vInicio = vFim + 1;
    std::string vLimpa(port::FTrim(vLinha));
    const std::size_t vIgual = vLimpa.find('=');
    const bool vChave = !vLimpa.empty() && vLimpa[0] != '[' && vLimpa[0] != ';' && vLimpa[0] != '#' &&
                        vIgual != std::string::npos;
    if (vChave) {
      std::string vValor(port::FTrim(std::string_view(vLimpa).substr(vIgual + 1)));
      if (vValor.size() > cMaxValor) vValor.resize(cMaxValor);
      std::string vNome = vLimpa.substr(0, std::min(vIgual, cMaxLinhaParser - 16));
      vLimpa = vNome + "=\x01" + std::to_string(vResult.vValores.size());
      vResult.vValores.push_back(std::move(vValor));
    } else if (!vLimpa.empty() && vLimpa[0] == '[' && vLimpa.find(']') != std::string::npos) {
      // "[ DATABASE ]" names the same section as "[DATABASE]".
      vLimpa = "[" + std::string(port::FTrim(std::string_view(vLimpa).substr(1, vLimpa.find(']') - 1))) + "]";
      if (vLimpa.size() > cMaxLinhaParser) vLimpa.resize(cMaxLinhaParser);
    } else if (vLimpa.size() > cMaxLinhaParser) {
      vLimpa.resize(cMaxLinhaParser);
    }
    vResult.vTexto += vLimpa;
    vResult.vTexto += '\n';
  }
  return vResult;
}

struct TLeitura {
  const TIniPreparado* vIni;
  TBancoDeDados* vDados;
  bool vCaminho = false, vUsuario = false, vSenha = false;
};

int FTrataChave(void* pUser, const char* pSecao, const char* pNome, const char* pValor) {
  auto& vLeitura = *static_cast<TLeitura*>(pUser);
  if (!port::FSameTextNoCase(pSecao, cSecao)) return 1;
  std::string vValor;
  const std::string_view vToken(pValor);
  // Only our own tokens are looked up. The parser also splits a line at ":",
  // so a line without "=" can hand over a value that merely starts with
  // "\x01"; it reads as empty. Nothing here may throw: the parser is C code.
  std::size_t vIndice = 0;
  if (!vToken.empty() && vToken[0] == '\x01') {
    const auto [vFim, vErro] = std::from_chars(vToken.data() + 1, vToken.data() + vToken.size(), vIndice);
    if (vErro == std::errc() && vFim == vToken.data() + vToken.size() && vIndice < vLeitura.vIni->vValores.size())
      vValor = vLeitura.vIni->vValores[vIndice];
  }
  // The first occurrence of a key wins.
  auto PGuarda = [&](bool& pLido, std::string& pCampo) {
    if (!pLido) {
      pCampo = vValor;
      pLido = true;
    }
  };
  if (port::FSameTextNoCase(pNome, "CAMINHO")) PGuarda(vLeitura.vCaminho, vLeitura.vDados->Caminho);
  else if (port::FSameTextNoCase(pNome, "USUARIO")) PGuarda(vLeitura.vUsuario, vLeitura.vDados->Usuario);
  else if (port::FSameTextNoCase(pNome, "SENHA")) PGuarda(vLeitura.vSenha, vLeitura.vDados->Senha);
  return 1;
}

// The trace log never holds the password: only whether there is one.
std::string FSenhaMascarada(const std::string& pSenha) { return pSenha.empty() ? std::string() : "****"; }

}  // namespace

std::string FArquivoConfiguracao(const std::string& pExePath) {
  return port::FExtractFilePath(pExePath) + cArquivoConfiguracao;
}

TBancoDeDados FLeConfiguracao(const std::string& pConteudo) {
  TBancoDeDados vDados;
  const TIniPreparado vIni = FPreparaIni(pConteudo);
  TLeitura vLeitura{&vIni, &vDados};
  ini_parse_string(vIni.vTexto.c_str(), FTrataChave, &vLeitura);
  return vDados;
}

// The log is the process's: the controller has opened it before it creates
// the module, so the module only writes to it.
TFireBird::TFireBird(port::IEnv& pEnv) : vEnv(pEnv) {
  vConexao = FCriaConexao();
}

void TFireBird::PFimRequisicao() noexcept {
  // The connection and its prepared statements stay for the next request;
  // no cursor or transaction does.
  if (vConexao) vConexao->PEndRequest();
}

TFireBird::~TFireBird() {
  if (vConexao) vConexao->PClose();
}

TBancoDeDados TFireBird::FRetornaBancoDeDados() {
  TBancoDeDados vDados;
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  vLog.Info(FClassName(), "Entrando no procedimento: FRetornaBancoDeDados");
  const std::string vArquivo = FArquivoConfiguracao(vEnv.FExePath());
  vLog.Info(FClassName(), cBuscandoArquivo);
  if (!vEnv.FFileExists(vArquivo)) return vDados;

  const std::optional<std::string> vConteudo = vEnv.FReadFile(vArquivo);
  if (vConteudo) vDados = FLeConfiguracao(*vConteudo);
  vLog.Info(FClassName(), "Retornando dados: CAMINHO: " + vDados.Caminho);
  vLog.Info(FClassName(), "Retornando dados: USUARIO: " + vDados.Usuario);
  vLog.Info(FClassName(), "Retornando dados: SENHA: " + FSenhaMascarada(vDados.Senha));
  return vDados;
}

std::unique_ptr<TSQLConnection> TFireBird::FCriaConexao() {
  const TBancoDeDados vDados = FRetornaBancoDeDados();
  auto vConnection = std::make_unique<TSQLConnection>();
  vConnection->PSetDriverName("InterBase");
  vConnection->PSetLoginPrompt(false);
  vConnection->PSetLibraryName("dbexpint.dll");
  vConnection->PSetGetDriverFunc("getSQLDriverINTERBASE");
  vConnection->PSetVendorLib("gds32.dll");
  vConnection->PSetName("CnResulth");
  vConnection->PSetHost(vEnv);
  vConnection->PSetParam("Database", vDados.Caminho);
  vConnection->PSetParam("User_Name", vDados.Usuario);
  vConnection->PSetParam("PassWord", vDados.Senha);
  // Not opened here: the first statement that needs the database attaches,
  // so a request that never touches it costs no connection, and a failed
  // opening is met by the data operation that needed it.
  return vConnection;
}

void TFireBird::PCriaTSQLQuery(std::unique_ptr<TSQLQuery>& pQuery) {
  tracelog::FRetornaLog().Info(nullptr, "Entrando no procedimento: PCriaTSQLQuery");
  pQuery = std::make_unique<TSQLQuery>();
  pQuery->Close();
  pQuery->PSetConnection(vConexao.get());
}

void TFireBird::PDestroyTSQLQuery(std::unique_ptr<TSQLQuery>& pQuery) noexcept {
  tracelog::FRetornaLog().Info(nullptr, "Entrando no procedimento: PDestroyTSQLQuery");
  if (pQuery) {
    pQuery->Close();
    pQuery.reset();
  }
}

void TFireBird::PCriaTSimpleDataSet(std::unique_ptr<TSimpleDataSet>& pDataSet) {
  tracelog::FRetornaLog().Info(nullptr, "Entrando no procedimento: PCriaTSimpleDataSet");
  pDataSet = std::make_unique<TSimpleDataSet>();
  pDataSet->Close();
  pDataSet->PSetConnection(vConexao.get());
}

void TFireBird::PDestroyTSimpleDataSet(std::unique_ptr<TSimpleDataSet>& pDataSet) noexcept {
  tracelog::FRetornaLog().Info(nullptr, "Entrando no procedimento: PDestroyTSimpleDataSet");
  if (pDataSet) {
    pDataSet->Close();
    pDataSet.reset();
  }
}

std::string TFireBird::FTrocaPontoPorVirgula(const std::string& pTexto) noexcept {
  try {
    std::string vResult = pTexto;
    std::replace(vResult.begin(), vResult.end(), '.', ',');
    return vResult;
  } catch (const std::exception& e) {
    tracelog::FRetornaLog().Excecao(FClassName(), e);
    return {};
  }
}

std::string TFireBird::FCompletaZeros(const std::string& pTexto, std::size_t pTamanho) {
  std::string vResult(port::FTrim(pTexto));
  if (vResult.size() < pTamanho) vResult.insert(0, pTamanho - vResult.size(), '0');
  return vResult;
}

}  // namespace data
