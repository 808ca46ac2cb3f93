// The Firebird database module: the one TDMBancoDeDados of the process. It
// reads caminhoBDQuindar.ini beside the executable, owns the one connection
// vConexao that every data operation runs on, and holds the helpers those
// operations share.
//
// The connection is built with all its settings at construction but opened
// only by the first statement that needs it, so that a request that needs
// no database never attaches; a failed opening surfaces at that statement.
//
// Data operations create their query objects with PCriaTSQLQuery /
// PCriaTSimpleDataSet and release them with the matching PDestroy helper on
// every path (a scope guard or the unique_ptr itself).
#pragma once

#include <memory>
#include <string>

#include "data/SQLConnection.h"
#include "data/SQLQuery.h"
#include "data/SimpleDataSet.h"
#include "data/uDMBancoDeDados.h"
#include "port/Env.h"

namespace xmlbind {
class TXMLConvenioType;
}

namespace data {

// The configuration of the store database; all empty until the file fills them.
struct TBancoDeDados {
  std::string Caminho;  // "CAMINHO": the database as the client understands it
  std::string Usuario;  // "USUARIO"
  std::string Senha;    // "SENHA"
};

// caminhoBDQuindar.ini beside the executable pExePath: the file the module reads.
[[nodiscard]] std::string FArquivoConfiguracao(const std::string& pExePath);
// The settings in the text of a configuration file, read exactly as the
// module reads them, without trace lines or a connection (the installer's
// check reads them this way too).
[[nodiscard]] TBancoDeDados FLeConfiguracao(const std::string& pConteudo);

class TFireBird : public TDMBancoDeDados {
 public:
  static constexpr const char* FClassName() { return "TFireBird"; }

  // pEnv gives the executable's path and reads the configuration file;
  // it must outlive the module.
  explicit TFireBird(port::IEnv& pEnv);
  // Detaches from the database (the connection closes with the module).
  ~TFireBird() override;

  // ---- The five data operations (one source file each:
  // uClassFireBirdPedidoCabecalho.cpp, uClassFireBirdPedidoItem.cpp,
  // uClassFireBirdStatusPedido.cpp, uClassFireBirdConvenios.cpp,
  // uClassFireBirdFinanciamentos.cpp). A null key is the request without a
  // key object: never dereferenced.
  [[nodiscard]] std::string FRetornaPedidoCabecalho(const TChavePedido* pChavePedido) override;
  // Errors of the ParamEcf check go on to the caller.
  [[nodiscard]] std::string FRetornaPedidoItem(const TChavePedido* pChavePedido) override;
  // Errors before the update go on to the caller; a failed update is false.
  [[nodiscard]] bool FAtualizaStatusPedido(const TChavePedido* pChavePedido) override;
  [[nodiscard]] std::string FRetornaColConvenios(const TChavePedido* pChavePedido) override;
  [[nodiscard]] std::string FRetornaColFinancimentos(const TChavePedido* pChavePedido) override;
  // Fills the payment condition of one agreement item (FRetornaColConvenios).
  void PCondPag(xmlbind::TXMLConvenioType& pConvenio, const std::string& pCodPrazo);
  // ---- end of the data operations

  // Between two requests: no transaction stays open on the connection, which
  // itself is kept.
  void PFimRequisicao() noexcept override;

  // The connection, owned by the module.
  std::unique_ptr<TSQLConnection> vConexao;

  // Reads caminhoBDQuindar.ini beside the executable (section "DATABASE").
  [[nodiscard]] TBancoDeDados FRetornaBancoDeDados();
  // Builds the connection from the configuration; the opening is deferred
  // to the first statement.
  [[nodiscard]] std::unique_ptr<TSQLConnection> FCriaConexao();

  void PCriaTSQLQuery(std::unique_ptr<TSQLQuery>& pQuery);
  void PDestroyTSQLQuery(std::unique_ptr<TSQLQuery>& pQuery) noexcept;
  void PCriaTSimpleDataSet(std::unique_ptr<TSimpleDataSet>& pDataSet);
  void PDestroyTSimpleDataSet(std::unique_ptr<TSimpleDataSet>& pDataSet) noexcept;

  // Every "." turned into ","; on failure the exception is logged and the
  // result is "".
  [[nodiscard]] std::string FTrocaPontoPorVirgula(const std::string& pTexto) noexcept;
  // Trimmed of blanks and control characters, then "0"-filled on the left up
  // to pTamanho; a longer text is not cut.
  [[nodiscard]] static std::string FCompletaZeros(const std::string& pTexto, std::size_t pTamanho);

 private:
  port::IEnv& vEnv;
};

}  // namespace data
