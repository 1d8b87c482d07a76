-- Warsztat: starting data of a new database, the same on both engines; run
-- after the engine's own structure script (same format as that script).

INSERT INTO statusesconf (iId, iStatusId, iGroup, sDescription, sColor, iOrder) VALUES
    (1, 0, 1, 'Nowa naprawa', '#ffffff', 1),
    (2, 1, 1, 'Naprawa rozpoczęta', '#afff9f', 2),
    (3, 2, 2, 'Zuvove zewnętrzny', '#fff59f', 1),
    (4, 3, 2, 'Oczekuje na części', '#73ac5d', 2),
    (5, 4, 3, 'Naprawa niewykonana', '#eb917f', 1),
    (6, 5, 3, 'Naprawa ukończona', '#6fc3e6', 2);

INSERT INTO hwstatusesconf (iId, iStatusId, iGroup, sDescription, sColor, iOrder) VALUES
    (1, 1, 1, 'W serwisie', '#95ff89', 1),
    (2, 2, 2, 'W serwisie zewnętrznym', '#efc274', 1),
    (3, 3, 2, 'U klienta / usługa serwisowa', '#f397d6', 2),
    (4, 4, 2, 'Wysłany', '#feffa9', 3),
    (5, 5, 1, 'Do odbioru', '#fd9494', 2),
    (6, 0, 3, 'Poza ewidencją', '#d3d3d3', 1),
    (7, 6, 3, 'Odebrany', '#4dd7ff', 2);

INSERT INTO typesconf (iId, iTypeId, sDescription, iOrder, bVisible) VALUES
    (1, 0, 'Laptop', 1, 1),
    (2, 1, 'PC', 2, 1),
    (3, 11, 'Telefon', 3, 1),
    (4, 12, 'Aparat / Kamera', 4, 1),
    (5, 13, 'Sprzęt audio', 5, 1),
    (6, 14, 'Drukarka', 6, 1),
    (7, 15, 'Konsola', 7, 1),
    (8, 16, 'CB Radio', 8, 1),
    (9, 17, 'Monitor', 9, 1),
    (10, 18, 'Telewizor', 10, 1),
    (11, 19, 'Nawigacja GPS', 11, 1),
    (12, 2, 'Inny', 12, 1);

INSERT INTO fieldsconf (iId, sName, sValue, bRequired) VALUES
    (1, 'sField1', 'Producent', 0),
    (2, 'sField2', 'Model', 0),
    (3, 'sField3', 'Numer seryjny', 0),
    (4, 'sField4', 'Wyposażenie', 0),
    (5, 'sField5', '', 0),
    (6, 'sField6', '', 0),
    (7, 'sField7', '', 0),
    (8, 'sField8', '', 0),
    (9, 'sField9', '', 0),
    (10, 'sField10', '', 0),
    (11, 'sField11', '', 0),
    (12, 'sField12', '', 0),
    (13, 'sField13', '', 0),
    (14, 'sField14', '', 0),
    (15, 'iFieldDate', 'Data zakupu', 0),
    (16, 'sFieldLong', 'Uwagi', 0);

INSERT INTO users (iId, sUser, sPassword, iLevel, bActive) VALUES
    (1, 'Administrator', '', 0, 1);

INSERT INTO version (iId, sVersion) VALUES
    (1, '1.23');
