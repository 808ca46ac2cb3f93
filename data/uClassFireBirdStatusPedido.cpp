// TFireBird::FAtualizaStatusPedido: marks an order invoiced (faturado "X")
// with status "02" and no coupon number when the store works with
// pre-sales, else with status "00". The update commits on its own.
//
// Only the update itself is guarded: its failure (a lock conflict on the
// order row, say) answers false and is not logged. Errors before it (the
// ParamEcf check meeting an unreachable database) go on to the caller.
#include <exception>
#include <memory>
#include <string>

#include "data/SQLQuery.h"
#include "data/uClassFireBird.h"
#include "data/uClassFireBirdComum.h"
#include "data/uClassFireBirdSQL.h"
#include "tracelog/LogNFe.h"

namespace data {

bool TFireBird::FAtualizaStatusPedido(const TChavePedido* pChavePedido) {
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  vLog.Info(FClassName(), "Entrando no procedimento: FAtualizaStatusPedido");
  // Without a key no order can be marked; the database is not touched.
  if (pChavePedido == nullptr) return false;
  const TChavePedido& vChave = *pChavePedido;

  vLog.Info(FClassName(), "Verificando par\xE2metro UsaPreVenda");
  bool vUsaPreVenda = false;
  {
    std::unique_ptr<TSQLQuery> vParam;
    const TAoSair vLibera([&]() noexcept { PDestroyTSQLQuery(vParam); });
    PCriaTSQLQuery(vParam);
    vParam->SQL.Add(cSQLStatusParamEcf);
    vParam->PSetParam("PCodEmpresa", vChave.CodEmpresa);
    vParam->Open();
    vUsaPreVenda = !vParam->Eof() && vParam->FieldByName("UsaPreVenda").AsString() == "S";
  }

  std::unique_ptr<TSQLQuery> vUpdate;
  const TAoSair vLibera([&]() noexcept { PDestroyTSQLQuery(vUpdate); });
  PCriaTSQLQuery(vUpdate);
  vUpdate->SQL.Clear();
  vUpdate->SQL.Add(cSQLStatusLinha1);
  vUpdate->SQL.Add(cSQLStatusLinha2);
  vUpdate->SQL.Add(cSQLStatusLinha3);
  if (vUsaPreVenda) {
    vUpdate->SQL.Clear();
    vUpdate->SQL.Add(cSQLStatusPreVenda);
    vUpdate->PSetParam("PStatus", "02");
  } else {
    vUpdate->PSetParam("PStatus", "00");
  }
  vUpdate->PSetParam("PCodEmpresa", vChave.CodEmpresa);
  vUpdate->PSetParam("PTipoPedido", vChave.TipoPedido);
  // The order code goes as the key gives it, without zero-filling.
  vUpdate->PSetParam("PCodPedido", vChave.CodPedido);
  try {
    vUpdate->ExecSQL();
  } catch (const std::exception&) {
    // The answer false is the whole report; the log stays silent about it.
    return false;
  }
  return true;
}

}  // namespace data
