# Writes the growth orders of the bench database: company 001, orders
# 90000010, 90000100 and 90001000 with 10, 100 and 1,000 items, spread over
# the demo products that have stock rows.
BEGIN {
  split("7891234500017 7891234500024 7891234500048 7891234500055 7891234500062 7891234500079", prod, " ")
  split("40 U U M U U", grade, " ")
  print "SET SQL DIALECT 1;"
  n = split("10 100 1000", sizes, " ")
  for (s = 1; s <= n; ++s) {
    count = sizes[s]
    code = sprintf("9%07d", count)
    for (i = 1; i <= count; ++i) {
      p = (i - 1) % 6 + 1
      printf "INSERT INTO PEDIDOI (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, SEQUENCIA, CODPROD, CODGRADE, ALIQICM, BASEICM, ALIQISS, DESCONTOVLR, ACRESCIMOVLR, PRECOUNIT, PRECOTABELA, QUANTIDADE, UNIDADESAIDA, CODTVENDA, OPERACAO, NUMSERIE, CONTRATO, FONE, CODPROMO, TABELA, AUTREFIDELIZACAO, TOTALRATEADO, CLAROTESTE, CANCELADO) VALUES ('001', 'P', '%s', %d, '%s', '%s', 18.00, 100.00, 0.00, 1.50, 0.00, %d.90, %d.90, 2, 'UN', '001', 5102, NULL, NULL, NULL, 0, '01', 'N', 10.00, 'N', 'N');\n", code, i, prod[p], grade[p], 10 + i % 90, 11 + i % 90
    }
  }
  print "COMMIT;"
}
